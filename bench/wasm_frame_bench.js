// The page's side of the web backend (web/qelo_library.js) for
// qelo_wasm_frame_bench, which has no page: nothing shown, no music, the
// files read from the working directory (NODERAWFS) or, in its page
// (qelo_wasm_frame_bench_page), from the pictures packed beside it.
mergeInto(LibraryManager.library, {
  qelo_page_present: function () {},
  qelo_page_stop_requested: function () { return 0; },
  qelo_page_milliseconds: function () { return performance.now(); },
  qelo_page_music: function () {},
  qelo_page_fetch: function () {},
  qelo_page_ready: function () {},
  qelo_page_failed: function (text) { console.error(UTF8ToString(text)); },
});

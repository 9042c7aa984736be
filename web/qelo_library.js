// qelo_library.js - the page's side of the web backend, linked into qelo.js
// with --js-library: the functions src/platform/web/page.h declares. Each
// hands over to the page object that qelo_page.js put in Module.page.
mergeInto(LibraryManager.library, {
  qelo_page_present: function (rgba, width, height) {
    Module['page'].present(rgba, width, height);
  },

  qelo_page_stop_requested: function () {
    return Module['page'].takeStopRequest() ? 1 : 0;
  },

  qelo_page_milliseconds: function () {
    return Module['page'].milliseconds();
  },

  qelo_page_music: function (path) {
    Module['page'].music(UTF8ToString(path));
  },

  // Each file fetched is written into the in-memory file system under its
  // own path, where start-up's reader finds it; a file that cannot be
  // fetched is not written, and start-up names it.
  qelo_page_fetch__deps: ['$FS'],
  qelo_page_fetch: function (paths) {
    var names = UTF8ToString(paths).split('\n').filter(function (name) { return name.length > 0; });
    Module['page'].fetchFiles(names, function (name, bytes) {
      var slash = name.lastIndexOf('/');
      if (slash > 0) FS.mkdirTree(name.substring(0, slash));
      FS.writeFile(name, bytes);
    }, function () {
      Module['_qelo_web_start_up']();
    });
  },

  qelo_page_ready: function (started) {
    Module['page'].ready(started !== 0);
  },

  qelo_page_failed: function (text) {
    Module['page'].failed(UTF8ToString(text));
  },
});

// qelo_page.js - the page around the show: the start screen's question, the
// music, the clock the show follows, the frames, the end screen, and what
// tests read (window.qelo, see README.md). Loaded before qelo.js, which it
// loads itself once it knows the browser can run it.
'use strict';

(function () {
  const width = 1024;
  const height = 768;
  const params = new URLSearchParams(location.search);
  const byId = (id) => document.getElementById(id);
  const canvas = byId('canvas');
  const audio = byId('music');

  const qelo = {
    state: 'loading',  // 'loading' | 'start' | 'playing' | 'ended' | 'failed'
    notices: [],       // every text shown in the notice area, in order
    frames: 0,         // frames drawn
    showMs: 0,         // the show's counter as the latest frame began
    onFrame: null,     // called after each frame with (k, showMs, drawMs)
    randState: () => Module._qelo_web_rand_state() >>> 0,
    picture: () => {
      const at = Module._qelo_web_picture();
      return at ? Module.HEAPU8.slice(at, at + width * height * 4) : null;
    },
    start: (fullscreen) => start(fullscreen),
  };
  window.qelo = qelo;

  function notice(text) {
    qelo.notices.push(text);
    const item = document.createElement('li');
    item.textContent = text;
    byId('notices').appendChild(item);
    console.warn(text);
  }

  function setState(state) {
    qelo.state = state;
    document.body.dataset.state = state;
  }

  function failed(text) {
    if (qelo.state === 'failed') return;
    byId('failure').textContent = text;
    setState('failed');
  }

  // URL options; a bad one is said once and left out.
  function wholeOption(name, low, high) {
    const text = params.get(name);
    if (text === null) return 0;
    const value = Number(text);
    if (/^\d+$/.test(text) && value >= low && value <= high) return value;
    notice(`${name}=${text} is not a whole number from ${low} to ${high}; left out`);
    return 0;
  }
  function secondsOption(name) {
    const text = params.get(name);
    if (text === null) return 0;
    const value = Number(text);
    if (text.trim() !== '' && Number.isFinite(value) && value > 0) return value;
    notice(`${name}=${text} is not a number of seconds above 0; left out`);
    return 0;
  }
  const options = {
    fps: wholeOption('fps', 1, 1000),  // frame-exact: frame k at floor(k * 1000 / fps) ms, no music
    until: secondsOption('until'),     // the first frame past this show time is the last
    startAtOnce: params.get('start') === 'window',
    backToBack: params.get('immediate') === '1',
  };

  // ---- Music -------------------------------------------------------------
  // The music plays from the start when the viewer starts the show; a file
  // that cannot play, or a browser that will not play it, leaves the show
  // silent on the page's own clock. Said once.
  const music = { file: null, failed: false, said: false, started: false };

  function musicFailed(why) {
    music.failed = true;
    if (music.said) return;
    music.said = true;
    notice(`${why}; the show plays silently`);
  }

  // The file did not load. A missing file and an unplayable one look alike
  // to the element: the server tells them apart.
  function musicSourceFailed() {
    if (music.failed) return;
    music.failed = true;
    const file = music.file;
    const error = audio.error;
    const why = error ? error.message || `media error ${error.code}` : 'no playable source';
    fetch(file, { method: 'HEAD' })
      .then((response) => musicFailed(response.ok ? `cannot play ${file} (${why})` : `${file} is missing (HTTP ${response.status})`))
      .catch(() => musicFailed(`cannot fetch ${file} (${why})`));
  }
  audio.addEventListener('error', musicSourceFailed);

  function playMusic() {
    music.started = true;
    if (audio.currentTime !== 0) audio.currentTime = 0;  // a seek would hold the start back
    audio.play().catch((error) => {
      if (error.name === 'NotSupportedError') musicSourceFailed();
      else musicFailed(`the browser did not play the music (${error.name}: ${error.message})`);
    });
  }

  // ---- The clock ---------------------------------------------------------
  // Milliseconds since the show started: the music's position while it
  // plays, the page's performance.now() otherwise (no music, or while the
  // music stalls). It never goes back: after a stall the show holds until the
  // music has caught up. At the start the show holds at 0 until the music
  // has begun, so that picture and sound start together; music that has not
  // begun within musicLateMs is stopped and said to be missing.
  const musicLateMs = 5000;
  const clock = {
    source: 'page',  // 'waiting' | 'music' | 'page'
    lastMs: 0,
    lastNow: 0,
    startedAt: 0,

    start(withMusic) {
      this.lastMs = 0;
      this.lastNow = performance.now();
      this.startedAt = this.lastNow;
      this.source = withMusic ? 'waiting' : 'page';
    },

    musicPlaying() {
      return music.started && !music.failed && !audio.paused && !audio.ended && audio.readyState >= 3 && audio.currentTime > 0;
    },

    read() {
      const now = performance.now();
      if (this.musicPlaying()) {
        this.source = 'music';
      } else if (this.source === 'waiting' && now > this.startedAt + musicLateMs) {
        audio.pause();  // so that it cannot start out of step later
        musicFailed(`the music did not start within ${musicLateMs / 1000} s`);
        this.source = 'page';
      } else if (this.source !== 'waiting') {
        this.source = 'page';
      }
      if (this.source === 'waiting' && music.failed) this.source = 'page';
      let ms = this.lastMs;
      if (this.source === 'music') ms = audio.currentTime * 1000;
      else if (this.source === 'page') ms = this.lastMs + (now - this.lastNow);
      if (ms < this.lastMs) ms = this.lastMs;
      this.lastMs = ms;
      this.lastNow = now;
      return ms;
    },
  };

  // ---- Frames ------------------------------------------------------------
  const context = canvas.getContext('2d', { alpha: false });
  let image = null;  // an ImageData over the frame in wasm memory
  let stopRequested = false;
  let fullscreenEntered = false;
  const nextTask = new MessageChannel();  // back-to-back frames that leave the page responsive
  nextTask.port1.onmessage = frame;

  function schedule() {
    if (options.fps > 0 || options.backToBack) nextTask.port2.postMessage(0);
    else requestAnimationFrame(frame);
  }

  function frame() {
    if (qelo.state !== 'playing') return;
    const begin = performance.now();
    const goesOn = Module._qelo_web_frame() !== 0;
    const drawMs = performance.now() - begin;
    const k = qelo.frames++;
    qelo.showMs = Module._qelo_web_show_ms() >>> 0;
    if (typeof qelo.onFrame === 'function') qelo.onFrame(k, qelo.showMs, drawMs);
    if (goesOn) schedule();
    else end();
  }

  function start(fullscreen) {
    if (qelo.state !== 'start') return false;
    setState('playing');
    if (fullscreen) {
      document.documentElement.requestFullscreen()
        .then(() => { fullscreenEntered = true; })
        .catch((error) => notice(`full screen was refused (${error.message}); the show plays in the window`));
    }
    // Inside the viewer's gesture, which lets sound start.
    const withMusic = options.fps === 0 && music.file !== null && !music.failed;
    if (withMusic) playMusic();
    clock.start(withMusic);
    Module._qelo_web_start(options.fps, options.until);
    schedule();
    return true;
  }

  function end() {
    Module._qelo_web_end();
    audio.pause();
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    setState('ended');
  }

  // ---- The viewer --------------------------------------------------------
  byId('fullscreen').addEventListener('click', () => start(true));
  byId('windowed').addEventListener('click', () => start(false));
  byId('again').addEventListener('click', () => location.reload());
  document.addEventListener('keydown', (event) => {
    if (qelo.state === 'start' && (event.key === 'Enter' || event.key === 'Escape')) {
      event.preventDefault();
      start(event.key === 'Enter');
    } else if (qelo.state === 'playing' && event.key === 'Escape') {
      stopRequested = true;
    }
  });
  document.addEventListener('fullscreenchange', () => {
    if (document.fullscreenElement) fullscreenEntered = true;
    else if (fullscreenEntered && qelo.state === 'playing') stopRequested = true;
  });

  // ---- What the program calls (qelo_library.js) ---------------------------
  const page = {
    present(at, frameWidth, frameHeight) {
      const buffer = Module.HEAPU8.buffer;
      if (!image || image.data.buffer !== buffer || image.data.byteOffset !== at || image.width !== frameWidth) {
        image = new ImageData(new Uint8ClampedArray(buffer, at, frameWidth * frameHeight * 4), frameWidth, frameHeight);
      }
      context.putImageData(image, 0, 0);
    },
    takeStopRequest() {
      const asked = stopRequested;
      stopRequested = false;
      return asked;
    },
    milliseconds: () => clock.read(),
    music(file) {
      music.file = file;
      if (options.fps === 0) audio.src = file;  // frame-exact runs have no music
    },
    fetchFiles(names, write, done) {
      Promise.all(names.map((name) => fetch(name)
        .then((response) => (response.ok ? response.arrayBuffer() : null))
        .then((bytes) => { if (bytes) write(name, new Uint8Array(bytes)); })
        .catch((error) => notice(`cannot fetch ${name} (${error.message}): serve the page with ./run --web`))))
        .then(done);
    },
    ready(started) {
      if (!started) {
        failed('the show could not start');
        return;
      }
      setState('start');
      if (options.startAtOnce) start(false);
    },
    failed,
  };

  // ---- Loading -----------------------------------------------------------
  if (location.protocol === 'file:') {
    failed('This page cannot run from a file: the browser will not let it read the show\'s files. '
      + 'Serve it with ./run --web and open the address that prints.');
    return;
  }
  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    failed('This browser cannot run WebAssembly, which the show needs.');
    return;
  }
  window.Module = {
    page,
    print: (text) => console.log(text),
    printErr: notice,
    onAbort: (what) => failed(`the program stopped: ${what}`),
  };
  const program = document.createElement('script');
  program.src = 'qelo.js';
  program.onerror = () => failed('cannot load qelo.js: serve the page with ./run --web');
  document.body.appendChild(program);
})();

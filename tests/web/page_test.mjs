// The browser build in headless Chromium, against the native build:
//   node page_test.mjs SITE_DIR REFERENCE GOLDEN DATA_DIR WORK_DIR
// SITE_DIR holds the built page; REFERENCE is qelo_web_reference, GOLDEN
// qelo_golden. Exits 0 when every check passes, 1 when one fails, 77 when
// the page or Chromium is not there to test (1 with QELO_WEB_TESTS=required).
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { deflateSync } from 'node:zlib';

import { defaultChromium, launch, serve, sleep } from './chromium.mjs';

const [site, reference, golden, data, work] = process.argv.slice(2);
if (!work) {
  console.error('usage: node page_test.mjs SITE_DIR REFERENCE GOLDEN DATA_DIR WORK_DIR');
  process.exit(2);
}
const chromium = process.env.QELO_CHROMIUM ?? defaultChromium;
for (const [path, what] of [[join(site, 'index.html'), 'the built page (./test builds it into build-web/)'], [chromium, 'Chromium']]) {
  if (!existsSync(path)) {
    // ./test builds the page and installs Chromium: there a missing one fails.
    const required = process.env.QELO_WEB_TESTS === 'required';
    console.log(`${required ? 'FAIL' : 'SKIP'}: ${path} is missing: ${what}`);
    process.exit(required ? 1 : 77);
  }
}
rmSync(work, { recursive: true, force: true });
mkdirSync(work, { recursive: true });

// Frame-exact seconds compared with the native build: 30 s at 10 fps.
const fps = 10;
const seconds = 30;
const width = 1024;
const height = 768;

let failures = 0;
function check(ok, text) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${text}`);
  if (!ok) failures += 1;
}

// RGB bytes of an RGBA picture.
function rgbOf(rgba) {
  const rgb = Buffer.alloc((rgba.length / 4) * 3);
  for (let i = 0, o = 0; i < rgba.length; i += 4, o += 3) {
    rgb[o] = rgba[i];
    rgb[o + 1] = rgba[i + 1];
    rgb[o + 2] = rgba[i + 2];
  }
  return rgb;
}

// An RGB PNG (unfiltered rows, deflated) for qelo_golden to compare.
const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}
function chunk(type, body) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(body.length, 0);
  head.write(type, 4, 'latin1');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), body])), 0);
  return Buffer.concat([head, body, crc]);
}
function rgbPng(rgb, w, h) {
  const rows = Buffer.alloc(h * (1 + 3 * w));
  for (let y = 0; y < h; y++) rgb.copy(rows, y * (1 + 3 * w) + 1, y * 3 * w, (y + 1) * 3 * w);
  const header = Buffer.alloc(13);
  header.writeUInt32BE(w, 0);
  header.writeUInt32BE(h, 4);
  header.set([8, 2, 0, 0, 0], 8);
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
    chunk('IDAT', deflateSync(rows, { level: 1 })), chunk('IEND', Buffer.alloc(0))]);
}

const errorsOf = (page) => (page.errors.length ? `: ${page.errors.join(' | ')}` : '');

// The page loads to its start screen without an error; a click on the
// window answer starts the show and its music, which the analyser hears.
async function liveChecks(browser, base) {
  const page = await browser.open(`${base}index.html`);
  await page.waitFor(`window.qelo && ['start', 'failed'].includes(qelo.state) && qelo.state`, 30000, 'the start screen');
  check((await page.evaluate('qelo.state')) === 'start' && page.errors.length === 0, `the page loads to its start screen with no console error${errorsOf(page)}`);

  await page.click('#windowed');
  await page.waitFor(`qelo.state === 'playing'`, 5000, 'the show to play after the click');
  // Starting to play may take a moment; time its position from then.
  const before = await page.waitFor(`document.querySelector('audio').currentTime`, 10000, 'the music to start');
  const startedAt = Date.now();
  await sleep(2000);
  const music = await page.evaluate(`(async () => {
    const audio = document.querySelector('audio');
    const context = new AudioContext();
    const analyser = context.createAnalyser();
    context.createMediaElementSource(audio).connect(analyser);
    analyser.connect(context.destination);
    const samples = new Float32Array(analyser.fftSize);
    let loudest = 0;
    for (let i = 0; i < 20; i++) {
      await new Promise((resolve) => setTimeout(resolve, 25));
      analyser.getFloatTimeDomainData(samples);
      for (const s of samples) loudest = Math.max(loudest, Math.abs(s));
    }
    return { position: audio.currentTime, paused: audio.paused, loudest, frames: qelo.frames };
  })()`);
  const waited = (Date.now() - startedAt) / 1000;
  check(!music.paused && music.position - before > 0.75 * waited,
    `the music plays: its position went from ${before.toFixed(3)} s to ${music.position.toFixed(3)} s in ${waited.toFixed(3)} s`);
  check(music.loudest > 0.01, `the analyser hears the music (peak ${music.loudest.toFixed(3)})`);
  check(music.frames > 60, `frames are drawn while it plays (${music.frames})`);

  const shot = join(work, 'screenshot.png');
  writeFileSync(shot, await page.screenshot());
  const rgb = execFileSync(golden, ['pixels', shot], { maxBuffer: 64 << 20 });
  let lit = 0;
  for (let i = 0; i < rgb.length; i += 3) if (rgb[i] + rgb[i + 1] + rgb[i + 2] > 48) lit += 1;
  const share = lit / (rgb.length / 3);
  check(share > 0.05, `a screenshot is not black (${(100 * share).toFixed(1)} % of its pixels lit; ${shot})`);
  check(page.errors.length === 0, `no console error while playing${errorsOf(page)}`);
  const notices = await page.evaluate('qelo.notices');
  check(notices.length === 0, `the notice area stays empty with every file there (${notices.join(' | ')})`);
}

// Frame-exact mode against the native software capture: every second's
// frame byte for byte (and, to show how far off, within the golden
// tolerance), and the generator's state the same.
// The show ends after them rather than draw on beside the later checks.
async function frameExactChecks(browser, base) {
  const page = await browser.open(`${base}index.html?fps=${fps}&until=${seconds}`);
  await page.waitFor(`window.qelo && qelo.state === 'start'`, 30000, 'the start screen');
  await page.evaluate(`(() => {
    window.kept = [];
    qelo.onFrame = (k) => {
      if (k % ${fps} === 0 && k <= ${fps * seconds}) kept.push({ k, state: qelo.randState() >>> 0, picture: qelo.picture() });
    };
    qelo.start(false);
  })()`);
  await page.waitFor(`kept.length > ${seconds} || ['ended', 'failed'].includes(qelo.state)`, 240000, `${seconds} s of frames`);
  const browserSeconds = await page.evaluate(`kept.map((f) => ({ k: f.k, state: f.state }))`);

  const native = join(work, 'native');
  mkdirSync(native, { recursive: true });
  const states = execFileSync(reference, [String(fps), String(seconds), data, native], { encoding: 'utf8' })
    .trim().split('\n').map((line) => Number(line.split(' ')[1]));
  check(browserSeconds.length === seconds + 1, `the page drew ${browserSeconds.length} of ${seconds + 1} whole seconds`);

  const failuresDir = join(work, 'failures');
  let sameState = 0;
  let samePictures = 0;
  for (const { k, state } of browserSeconds) {
    const s = k / fps;
    const name = `second-${String(s).padStart(3, '0')}`;
    if (state === states[s]) sameState += 1;
    else check(false, `${name}: generator state ${state} in the browser, ${states[s]} natively`);
    const browserRgb = rgbOf(Buffer.from(await page.evaluate(`(() => {
      const p = kept.find((f) => f.k === ${k}).picture; let s = '';
      for (let i = 0; i < p.length; i += 0x8000) s += String.fromCharCode.apply(null, p.subarray(i, i + 0x8000));
      return btoa(s); })()`), 'base64'));
    const nativePng = join(native, `${name}.png`);
    const nativeRgb = execFileSync(golden, ['pixels', nativePng], { maxBuffer: 64 << 20 });
    if (nativeRgb.equals(browserRgb)) {
      samePictures += 1;
      continue;
    }
    const browserPng = join(work, `${name}-browser.png`);
    writeFileSync(browserPng, rgbPng(browserRgb, width, height));
    const shrunk = join(work, `${name}-native-shrunk.png`);
    execFileSync(golden, ['shrink', nativePng, shrunk]);
    try {
      console.log(execFileSync(golden, ['compare', shrunk, browserPng, failuresDir], { encoding: 'utf8' }).trim());
    } catch (error) {
      check(false, `${name}: the browser's frame differs from the native one beyond the tolerance:\n${error.stdout}`);
    }
  }
  check(sameState === browserSeconds.length, `the generator's state after each second's frame is the native one (${sameState} of ${browserSeconds.length})`);
  // The same renderer draws both, so every frame should be the native bytes;
  // a frame only within the tolerance points at a path of the browser build
  // alone (the compositing's WebAssembly blend, say).
  check(samePictures === browserSeconds.length,
    `every frame is byte for byte the native one (${samePictures} of ${browserSeconds.length})`);
  check(page.errors.length === 0, `no console error in frame-exact mode${errorsOf(page)}`);
}

// What the page says when it cannot have everything: missing files are
// named and the show plays; music the browser will not start without a
// click leaves the show silent on its own clock; a page opened as a file
// says how to serve it.
async function badInputChecks(browser, base) {
  const notices = `qelo.notices.join(' | ')`;
  const playsOn = `(async () => { const f = qelo.frames; await new Promise((r) => setTimeout(r, 1000));
    return qelo.state === 'playing' && qelo.frames > f; })()`;

  const missing = await serve(site, ['/vamma4.mp3', '/grafiikkaa/tile2.jpg']);
  let page = await browser.open(`${missing.url}index.html`);
  await page.waitFor(`window.qelo && qelo.state === 'start'`, 30000, 'the start screen');
  await page.click('#windowed');
  await page.waitFor(`qelo.notices.some((n) => n.includes('vamma4.mp3'))`, 10000, 'a notice about the music');
  const text = await page.evaluate(notices);
  check(/tile2\.jpg/.test(text) && /vamma4\.mp3 is missing/.test(text) && (await page.evaluate(playsOn)),
    `missing files are named and the show plays on: ${text}`);
  missing.close();

  page = await browser.open(pathToFileURL(resolve(site, 'index.html')).href);
  const failure = await page.waitFor(`window.qelo && qelo.state === 'failed' && document.body.innerText`, 10000, 'the failure screen');
  check(failure.includes('./run --web'), 'a page opened as a file says to serve it with ./run --web');
}

async function refusedAutoplayChecks(base) {
  const browser = await launch({ chromium, autoplay: false });
  try {
    const page = await browser.open(`${base}index.html`);
    await page.waitFor(`window.qelo && qelo.state === 'start'`, 30000, 'the start screen');
    await page.evaluate('qelo.start(false)');  // no click: the browser may refuse the sound
    const text = await page.waitFor(`qelo.notices.find((n) => n.includes('silently'))`, 10000, 'a notice that the show is silent');
    const frames = await page.evaluate('qelo.frames');
    await sleep(1000);
    check((await page.evaluate('qelo.frames')) > frames, `refused music: the show plays silently and says so (${text})`);
  } finally {
    await browser.close();
  }
}

const server = await serve(site);
const browser = await launch({ chromium });
try {
  await liveChecks(browser, server.url);
  await frameExactChecks(browser, server.url);
  await badInputChecks(browser, server.url);
  await refusedAutoplayChecks(server.url);
} catch (error) {
  check(false, String(error.stack ?? error));
} finally {
  await browser.close();
  server.close();
}
console.log(failures ? `${failures} check(s) failed` : 'all checks passed');
process.exit(failures ? 1 : 0);

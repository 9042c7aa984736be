// The browser build's frame rate in headless Chromium, per schedule segment:
//   node bench/web_bench.mjs [--site DIR] [--until S] [--mode live|unthrottled|both]
// live: frames on requestAnimationFrame with the show's own clock, as a
// viewer sees it (60 Hz at most); unthrottled: frames back to back, the cost
// of a frame without the display's cap. Prints one table per mode: frames,
// frames a second, frame interval (median, p99) and the wasm frame's own
// drawing time (median, p99), all in ms; then how long the first frame took
// after the start, and what the page's program weighs gzipped.
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

import { defaultChromium, launch, serve } from '../tests/web/chromium.mjs';

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i < 0 ? fallback : args[i + 1];
};
const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const site = option('--site', join(root, 'build-web', 'web'));
const until = Number(option('--until', '120'));
const mode = option('--mode', 'both');
const chromium = process.env.QELO_CHROMIUM ?? defaultChromium;
const segments = [0, 15, 25, 50, 55, 100, 103, 120];

const percentile = (values, p) => {
  if (values.length === 0) return NaN;
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(p * sorted.length))];
};

function table(title, frames) {
  const lines = [title, 'segment     frames    fps | interval p50    p99 | draw p50    p99'];
  const row = (name, chosen) => {
    const intervals = chosen.map((f) => f.interval).filter((v) => v !== undefined);
    const wall = intervals.reduce((a, b) => a + b, 0) / 1000;
    const fps = wall > 0 ? intervals.length / wall : NaN;
    const draws = chosen.map((f) => f.drawMs);
    lines.push(`${name.padEnd(10)} ${String(chosen.length).padStart(7)} ${fps.toFixed(1).padStart(6)} |`
      + ` ${percentile(intervals, 0.5).toFixed(2).padStart(12)} ${percentile(intervals, 0.99).toFixed(2).padStart(6)} |`
      + ` ${percentile(draws, 0.5).toFixed(2).padStart(8)} ${percentile(draws, 0.99).toFixed(2).padStart(6)}`);
  };
  for (let i = 0; i + 1 < segments.length && segments[i] < until; i++) {
    const [from, to] = [segments[i], segments[i + 1]];
    const name = `${String(from).padStart(3)}-${String(to).padStart(3)} s`;
    row(name, frames.filter((f) => f.showMs >= from * 1000 && f.showMs < to * 1000));
  }
  row('whole show', frames);
  return lines.join('\n');
}

async function measure(browser, base, unthrottled) {
  const page = await browser.open(`${base}index.html?until=${until}${unthrottled ? '&immediate=1' : ''}`);
  await page.waitFor(`window.qelo && ['start', 'failed'].includes(qelo.state) && qelo.state`, 30000, 'the start screen');
  // Each frame's interval is from the end of the frame before: the time
  // the page took to come back and draw again, presentation included.
  await page.evaluate(`(() => {
    window.measured = [];
    let last;
    const started = performance.now();
    qelo.onFrame = (k, showMs, drawMs) => {
      const now = performance.now();
      if (k === 0) window.firstFrameMs = now - started;
      measured.push({ showMs, drawMs, interval: last === undefined ? undefined : now - last });
      last = now;
    };
    qelo.start(false);
  })()`);
  await page.waitFor(`['ended', 'failed'].includes(qelo.state)`, (until + 60) * 1000 * (unthrottled ? 1 : 1.5), 'the end of the show');
  if (page.errors.length) console.error(`errors on the page: ${page.errors.join(' | ')}`);
  return { frames: await page.evaluate('measured'), firstFrameMs: await page.evaluate('firstFrameMs') };
}

const version = execFileSync(chromium, ['--version'], { encoding: 'utf8' }).trim();
const server = await serve(site);
const browser = await launch({ chromium });
try {
  for (const unthrottled of mode === 'both' ? [false, true] : [mode === 'unthrottled']) {
    const { frames, firstFrameMs } = await measure(browser, server.url, unthrottled);
    console.log(table(`${version}, headless, software renderer in WebAssembly: ${unthrottled ? 'unthrottled (frames back to back)' : 'live (requestAnimationFrame)'}`, frames));
    console.log(`first frame ${firstFrameMs.toFixed(1)} ms after the start\n`);
  }
  const sizes = ['qelo.wasm', 'qelo.js', 'qelo_page.js'].map((name) => [name, gzipSync(readFileSync(join(site, name))).length]);
  const total = sizes.reduce((sum, [, bytes]) => sum + bytes, 0);
  console.log(`gzipped: ${sizes.map(([name, bytes]) => `${name} ${(bytes / 1024).toFixed(1)} KB`).join(', ')}; together ${(total / 1024).toFixed(1)} KB`);
} finally {
  await browser.close();
  server.close();
}

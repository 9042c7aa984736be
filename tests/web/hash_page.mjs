// Every frame of the page's frame-exact mode, hashed as tests/golden/hash_show
// --each hashes the native capture's: the SHA-256 of a frame's RGB pixels and
// the frame's name, one line a frame. The two lists diff to the first frame
// where the browser build draws otherwise:
//   diff <(tests/golden/hash_show --each 10 | sed '$d') <(node tests/web/hash_page.mjs 10)
// The page's own test compares 31 seconds; this covers the whole show (about
// four minutes at 10 fps). Not run by ctest.
//   node tests/web/hash_page.mjs [--site DIR] FPS [UNTIL]
import { existsSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

import { launch, serve } from './chromium.mjs';

const args = process.argv.slice(2);
let site = join(dirname(fileURLToPath(import.meta.url)), '..', '..', 'build-web', 'web');
if (args[0] === '--site') site = args.splice(0, 2)[1];
const fps = Number(args[0]);
const until = args.length > 1 ? Number(args[1]) : 120;
if (!(fps > 0) || !(until > 0)) {
  console.error('usage: node tests/web/hash_page.mjs [--site DIR] FPS [UNTIL]');
  process.exit(2);
}

if (!existsSync(join(site, 'index.html'))) {
  console.error(`hash_page: no page in ${site}: build it first (cmake --build build-web)`);
  process.exit(2);
}

const server = await serve(site);
const browser = await launch({});
try {
  const page = await browser.open(`${server.url}index.html?fps=${fps}&until=${until}`);
  await page.waitFor(`window.qelo && ['start', 'failed'].includes(qelo.state)`, 30000, 'the start screen');
  if ((await page.evaluate('qelo.state')) === 'failed') throw new Error(`the page failed: ${page.errors.join(' | ')}`);
  // Hashed in the page: only the hashes cross to here.
  await page.evaluate(`(() => {
    window.hashes = [];
    qelo.onFrame = () => {
      const rgba = qelo.picture();
      const rgb = new Uint8Array(rgba.length / 4 * 3);
      for (let i = 0, j = 0; i < rgba.length; i += 4) {
        rgb[j++] = rgba[i];
        rgb[j++] = rgba[i + 1];
        rgb[j++] = rgba[i + 2];
      }
      hashes.push(crypto.subtle.digest('SHA-256', rgb));
    };
    qelo.start(false);
  })()`);
  await page.waitFor(`['ended', 'failed'].includes(qelo.state)`, (until * 10 + 60) * 1000, 'the end of the show');
  const hex = await page.evaluate(`Promise.all(hashes).then((all) => all.map((digest) =>
    [...new Uint8Array(digest)].map((byte) => byte.toString(16).padStart(2, '0')).join('')))`);
  hex.forEach((hash, k) => console.log(`${hash}  frame-${String(k).padStart(6, '0')}.png`));
  if (page.errors.length) throw new Error(`errors on the page: ${page.errors.join(' | ')}`);
} finally {
  await browser.close();
  server.close();
}

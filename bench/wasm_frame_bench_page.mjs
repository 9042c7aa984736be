// bench/wasm_frame_bench.cpp in headless Chromium: the engine the page runs
// in. Node's V8 is years older and does not rank changes alike (in Node a
// change took 1.5 ms off the 80 s frame that in Chromium took 0.3 ms), so
// confirm there what the Node build suggests. Prints what the program prints;
// --profile writes a CPU profile (Chrome's .cpuprofile format, WebAssembly
// functions by name) of the whole run.
//   cmake --build build-web --target qelo_wasm_frame_bench_page
//   node bench/wasm_frame_bench_page.mjs [--build DIR] [--profile FILE] [REPEATS [SECONDS...]]
// Timer resolution in the page is 0.1 ms.
import { existsSync, writeFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launch, serve } from '../tests/web/chromium.mjs';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '..');
const args = process.argv.slice(2);
const option = (name, fallback) => {
  const at = args.indexOf(name);
  if (at < 0) return fallback;
  const [, value] = args.splice(at, 2);
  return value;
};
const build = resolve(option('--build', join(root, 'build-web')));
const profileFile = option('--profile', '');
const programArguments = args.length ? args : ['20'];
const folder = join(build, 'bench');
if (!existsSync(join(folder, 'qelo_wasm_frame_bench_page.js'))) {
  console.error(`no ${join(folder, 'qelo_wasm_frame_bench_page.js')}: build it first with\n` +
    `  cmake --build ${build} --target qelo_wasm_frame_bench_page`);
  process.exit(2);
}

// The program waits for go() (its run held back by a dependency), so that a
// profile starts with it.
writeFileSync(join(folder, 'qelo_wasm_frame_bench_page.html'), `<!doctype html><meta charset="utf-8">
<script>
var Module = { arguments: ${JSON.stringify(programArguments)}, print: (t) => console.log(t), printErr: (t) => console.error(t),
  preRun: [() => { addRunDependency('go'); window.ready = true; }], postRun: [() => { window.done = true; }],
  onAbort: () => { window.done = true; } };
window.go = () => removeRunDependency('go');
</script>
<script src="qelo_wasm_frame_bench_page.js"></script>
`);

const server = await serve(folder);
const browser = await launch({});
let failed = false;
try {
  const page = await browser.open(`${server.url}qelo_wasm_frame_bench_page.html`);
  await page.waitFor('window.ready === true', 60000, 'the program to load');
  if (profileFile) {
    await page.send('Profiler.enable');
    await page.send('Profiler.setSamplingInterval', { interval: 200 });  // microseconds
    await page.send('Profiler.start');
  }
  await page.evaluate('window.go()');
  await page.waitFor('window.done === true', 3600000, 'the program to finish');
  if (profileFile) {
    const { profile } = await page.send('Profiler.stop');
    writeFileSync(profileFile, JSON.stringify(profile));
  }
  for (const line of page.console) console.log(line.replace(/^log: /, ''));
  failed = page.errors.length > 0;
} finally {
  await browser.close();
  server.close();
}
process.exit(failed ? 1 : 0);

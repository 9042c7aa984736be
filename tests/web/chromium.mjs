// Headless Chromium driven over the DevTools protocol on a pipe (file
// descriptors 3 and 4), and a static file server for the page: all the web
// tests and the browser benchmark need besides Node and Debian's chromium.
import { spawn } from 'node:child_process';
import { createReadStream, existsSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';

export const defaultChromium = '/usr/lib/chromium/chromium';
export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const contentTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.jpg': 'image/jpeg', '.mp3': 'audio/mpeg', '.png': 'image/png',
  '.json': 'application/json', '.svg': 'image/svg+xml', '.ico': 'image/x-icon',
};

// Serves `root` on 127.0.0.1 at a free port, answering 404 for the paths
// in `hidden` (e.g. '/vamma4.mp3') as if they were missing. Returns { url, close }.
export async function serve(root, hidden = []) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    let file = join(root, path);
    if (path.includes('..') || hidden.includes(path) || !existsSync(file)) {
      response.writeHead(404).end('not found');
      return;
    }
    if (statSync(file).isDirectory()) file = join(file, 'index.html');
    const headers = { 'Content-Type': contentTypes[extname(file)] ?? 'application/octet-stream', 'Cache-Control': 'no-store' };
    response.writeHead(200, headers);
    createReadStream(file).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// Starts Chromium (allowed to play sound without a click unless autoplay is
// false). Returns a browser with open(url) -> page, close().
// A page records console errors, uncaught exceptions and error log entries
// in page.errors, and everything the console printed in page.console.
export async function launch({ chromium = defaultChromium, flags = [], autoplay = true } = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'qelo-chromium-'));
  const child = spawn(chromium, [
    '--headless=new', '--no-sandbox', '--no-first-run', '--no-default-browser-check',
    '--disable-background-networking', '--disable-extensions', '--window-size=1024,768',
    ...(autoplay ? ['--autoplay-policy=no-user-gesture-required'] : []), `--user-data-dir=${profile}`,
    '--remote-debugging-pipe', ...flags, 'about:blank',
  ], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
  child.stderr.resume();  // Chromium's own log lines (D-Bus and the like)

  let nextId = 1;
  const pending = new Map();
  const listeners = new Set();
  // Messages of several MB (pictures) arrive in many chunks: only a new
  // chunk is searched for the end of its message.
  let parts = [];
  const deliver = (message) => {
    const waiter = message.id && pending.get(message.id);
    if (waiter) {
      pending.delete(message.id);
      if (message.error) waiter.reject(new Error(`${waiter.method}: ${JSON.stringify(message.error)}`));
      else waiter.resolve(message.result);
    } else {
      listeners.forEach((listener) => listener(message));
    }
  };
  child.stdio[4].setEncoding('utf8');
  child.stdio[4].on('data', (chunk) => {
    for (let end; (end = chunk.indexOf('\0')) >= 0; chunk = chunk.slice(end + 1)) {
      parts.push(chunk.slice(0, end));
      const text = parts.join('');
      parts = [];
      deliver(JSON.parse(text));
    }
    if (chunk) parts.push(chunk);
  });
  const exited = new Promise((resolve) => child.once('exit', resolve));
  const send = (method, params = {}, sessionId = undefined) => {
    const id = nextId++;
    child.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    return new Promise((resolve, reject) => pending.set(id, { resolve, reject, method }));
  };

  async function open(url) {
    const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
    const page = { errors: [], console: [], sessionId };
    listeners.add((message) => {
      if (message.sessionId !== sessionId) return;
      const p = message.params;
      if (message.method === 'Runtime.consoleAPICalled') {
        const text = p.args.map((a) => a.value ?? a.description).join(' ');
        page.console.push(`${p.type}: ${text}`);
        if (p.type === 'error' || p.type === 'assert') page.errors.push(`console.${p.type}: ${text}`);
      } else if (message.method === 'Runtime.exceptionThrown') {
        const d = p.exceptionDetails;
        page.errors.push(`uncaught: ${d.exception?.description ?? d.text}`);
      } else if (message.method === 'Log.entryAdded' && p.entry.level === 'error') {
        page.errors.push(`log: ${p.entry.text} ${p.entry.url ?? ''}`.trim());
      }
    });
    page.send = (method, params = {}) => send(method, params, sessionId);
    // The value of a JavaScript expression (promises awaited), by value.
    page.evaluate = async (expression) => {
      const reply = await page.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
      if (reply.exceptionDetails) throw new Error(`${expression}: ${reply.exceptionDetails.exception?.description ?? reply.exceptionDetails.text}`);
      return reply.result.value;
    };
    // Waits until the expression is truthy; returns its value.
    page.waitFor = async (expression, timeoutMs, what = expression) => {
      const end = Date.now() + timeoutMs;
      for (;;) {
        const value = await page.evaluate(expression);
        if (value) return value;
        if (Date.now() > end) throw new Error(`timed out after ${timeoutMs} ms waiting for ${what}`);
        await sleep(50);
      }
    };
    // A trusted click at the centre of the first element matching selector.
    page.click = async (selector) => {
      const box = await page.evaluate(`(() => { const e = document.querySelector(${JSON.stringify(selector)});
        if (!e) return null; const r = e.getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()`);
      if (!box) throw new Error(`no element ${selector} to click`);
      for (const type of ['mousePressed', 'mouseReleased'])
        await page.send('Input.dispatchMouseEvent', { type, x: box[0], y: box[1], button: 'left', clickCount: 1 });
    };
    page.screenshot = async () => Buffer.from((await page.send('Page.captureScreenshot', { format: 'png' })).data, 'base64');
    await page.send('Runtime.enable');
    await page.send('Log.enable');
    await page.send('Page.enable');
    await page.send('Page.navigate', { url });
    return page;
  }

  async function close() {
    await Promise.race([send('Browser.close').catch(() => {}), sleep(2000)]);
    await Promise.race([exited, sleep(3000)]);
    if (child.exitCode === null) child.kill('SIGKILL');
    rmSync(profile, { recursive: true, force: true });
  }
  return { open, close };
}

// What the browser tests share: the page served by python3 on 127.0.0.1 (or by a server of
// our own whose headers and files a test chooses), and Debian's Chromium, headless, with a
// fresh profile, contacting nothing but the page.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import { chromium } from 'playwright-core';

export const chromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// python3's own server on a free port of 127.0.0.1, the address once it listens.
export function serve(dir) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', dir, '0'],
    { stdio: ['ignore', 'pipe', 'ignore'] });
  return new Promise((resolve, reject) => {
    let seen = '';
    server.stdout.on('data', (d) => {
      seen += d;
      const m = /port (\d+)/.exec(seen);
      if (m) resolve({ server, url: `http://127.0.0.1:${m[1]}/` });
    });
    server.on('exit', (code) => reject(new Error(`the server ended (${code})`)));
  });
}

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.svg': 'image/svg+xml', '.ttf': 'font/ttf', '.wbs': 'application/octet-stream',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json' };

// The files of `dir` from `host` (a loopback address) on a free port, as a host might serve
// them: `respond(path)` may give { status, type, headers, body } for a path instead, or extra
// headers only; a body that is a function writes the response itself. Resolves to
// { server, url }; server.closeAllConnections() and close() end it.
export function serveAs(dir, host, respond = () => ({})) {
  const server = createServer((req, res) => {
    const path = normalize(decodeURIComponent(new URL(req.url, 'http://x').pathname)).replace(/^\/+/, '');
    const own = respond(path) || {};
    let body = own.body;
    if (body === undefined) {
      try { body = path.startsWith('..') ? null : readFileSync(join(dir, path || 'index.html')); } catch { body = null; }
    }
    if (body === null) { res.writeHead(404, own.headers); res.end(); return; }
    // A file's length stated, as static servers do; a body a test streams goes chunked.
    const length = typeof body === 'function' ? {} : { 'Content-Length': String(Buffer.byteLength(body)) };
    res.writeHead(own.status || 200, { 'Content-Type': own.type || types[extname(path)] || 'application/octet-stream',
      'Cache-Control': 'no-store', ...length, ...own.headers });
    if (typeof body === 'function') body(res);
    else res.end(body);
  });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.listen(0, host, () => resolve({ server, url: `http://${host}:${server.address().port}/` }));
  });
}

// `options` for the context beside ours: a phone's viewport, touch and pixel ratio.
export async function launch(options = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'kh-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: true, args: chromiumFlags, viewport: { width: 1000, height: 700 }, ...options,
  });
  return { context, profile };
}

// Asks `get` every 50 ms until `test` holds for its answer, and returns that; after `seconds`
// throws, naming `what` and the last answer.
export async function waitFor(page, what, get, test, seconds) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const v = await get();
    if (test(v)) return v;
    if (Date.now() > end) throw new Error(`${what}: still ${JSON.stringify(v)} after ${seconds} s`);
    await page.waitForTimeout(50);
  }
}

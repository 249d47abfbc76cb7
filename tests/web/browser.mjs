// What the browser tests share: the page served by python3 on 127.0.0.1, and Debian's
// Chromium, headless, with a fresh profile, contacting nothing but the page.
import { spawn } from 'node:child_process';
import { mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
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

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'kh-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: true, args: chromiumFlags, viewport: { width: 1000, height: 700 },
  });
  return { context, profile };
}


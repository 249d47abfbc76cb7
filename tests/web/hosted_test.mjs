// The page as hosts and portals serve it, in headless Chromium: under a strict
// Content-Security-Policy, with index.wasm under another MIME type and odd sound files, in a
// frame of another site's page, with the browser's storage blocked, and with its own files
// missing or refused. Short looks with a fast clock; no whole rounds.
//   node hosted_test.mjs PAGE_DIR OUT_DIR
import { mkdirSync, readFileSync, rmSync } from 'node:fs';
import { join } from 'node:path';
import { launch, serveAs, waitFor } from './browser.mjs';

const [pageDir, outDir] = process.argv.slice(2);
if (!pageDir || !outDir) throw new Error('usage: node hosted_test.mjs PAGE_DIR OUT_DIR');
mkdirSync(outDir, { recursive: true });

const csp = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'";
const limit = 16 << 20;
const { context, profile } = await launch();
const servers = [];
let failed = false;
const fail = (what) => { failed = true; console.error('FAIL: ' + what); };
const check = (ok, what) => { if (!ok) fail(what); };

async function serve(host, respond) {
  const s = await serveAs(pageDir, host, respond);
  servers.push(s.server);
  return s.url;
}

// A fresh tab that keeps what the page says in the console.
async function tab() {
  const page = await context.newPage();
  page.said = [];
  page.on('console', (m) => page.said.push(m.text()));
  page.on('pageerror', (e) => page.said.push(String(e)));
  return page;
}

// The texts of the window on top, as the page mirrors them; the page's own boxes.
const shown = (frame) => frame.evaluate(() => {
  const el = [...document.querySelectorAll('.kh-text:not([hidden])')].pop();
  const box = (id) => { const b = document.getElementById(id); return b && !b.hidden ? b.textContent : null; };
  return { text: el ? el.textContent : '', loading: box('kh-loading'), note: box('kh-note'), full: box('kh-full') !== null };
});
const title = (page, frame) => waitFor(page, 'the title asks for a key', () => shown(frame), (s) => s.text.includes('Bitte Taste drücken'), 15);
const play = (page, frame) => waitFor(page, 'the round starts', () => shown(frame), (s) => s.text.includes('Punkte'), 5);
const topCanvas = (frame) => frame.locator('canvas.kh-window:not([hidden])').last();

try {
  // Under the strict policy: no word of it in the console, the sounds fetched, the windows
  // at a whole scale in the middle, the screen-reader text out of sight, full screen.
  {
    const page = await tab();
    const url = await serve('127.0.0.1', () => ({ headers: { 'Content-Security-Policy': csp } }));
    const fetched = new Set();
    page.on('response', (r) => { if (r.ok() && r.url().endsWith('.wbs')) fetched.add(r.url()); });
    await page.goto(`${url}index.html?speed=16`);
    await title(page, page);
    await page.keyboard.press('a');
    await play(page, page);
    const look = await page.evaluate(() => {
      const c = [...document.querySelectorAll('canvas.kh-window:not([hidden])')].pop(), r = c.getBoundingClientRect();
      const t = document.querySelector('.kh-text');
      return { scale: r.width / c.width, scaleY: r.height / c.height, left: r.left, right: innerWidth - r.right,
        text: getComputedStyle(t).clipPath, bg: getComputedStyle(document.body).backgroundColor };
    });
    await page.screenshot({ path: join(outDir, '1-csp-play.png') });
    console.log(`under the policy: the play window at ${look.scale}x, ${look.left} px from either side`);
    check(Number.isInteger(look.scale) && look.scale >= 2 && look.scaleY === look.scale, `the play window shows at ${look.scale} x ${look.scaleY}`);
    check(Math.abs(look.left - look.right) <= 1, `the play window is not centred: ${look.left} and ${look.right} px at the sides`);
    check(look.text === 'inset(50%)' && look.bg === 'rgb(58, 110, 143)', `the page's style is missing: ${JSON.stringify(look)}`);
    check(fetched.size === 4, `sounds fetched: ${[...fetched].join(', ')}`);
    await page.click('#kh-full');
    await waitFor(page, 'the button puts the page on the full screen', () => page.evaluate(() => !!document.fullscreenElement), (v) => v, 3)
      .catch((e) => fail(e.message));
    const refused = page.said.filter((t) => /Content Security Policy|knuffelhatz/i.test(t));
    check(!refused.length, 'the page said: ' + refused.join(' | '));
    await page.close();
  }

  // index.wasm as any file, sounds too large (by length, or streaming on), cut, or never
  // ending: the game starts and plays without waiting for them, each bad one told once.
  {
    const page = await tab();
    let streamed = 0;
    const endless = (res) => {
      const chunk = Buffer.alloc(1 << 16, 1);
      const more = () => {
        while (streamed < 4 * limit && !res.destroyed) {
          streamed += chunk.length;
          if (!res.write(chunk)) return void res.once('drain', more);
        }
        if (!res.destroyed) res.end();
      };
      res.on('close', () => res.destroy());
      more();
    };
    const files = {
      'index.wasm': { type: 'application/octet-stream' },
      'Schuss.wbs': { body: endless },
      'Treffer1.wbs': { headers: { 'Content-Length': String(limit + 1) }, body: (res) => res.write('RIFF') },
      'Treffer2.wbs': { body: () => {} },
      'Leer.wbs': { body: readFileSync(join(pageDir, 'Leer.wbs')).subarray(0, 100) },
    };
    const url = await serve('127.0.0.1', (path) => files[path]);
    await page.goto(`${url}index.html?speed=16`);
    await title(page, page);
    await page.keyboard.press('a');
    await play(page, page);
    // Shots at the play area's corners, where the creature seldom is: the shot's sound.
    const box = await topCanvas(page).boundingBox();
    for (const [x, y] of [[0.2, 0.3], [0.8, 0.3], [0.2, 0.7], [0.8, 0.7]]) await page.mouse.click(box.x + x * box.width, box.y + y * box.height);
    const lines = (name) => page.said.filter((t) => t.includes(`sound "${name}" stays silent`));
    await waitFor(page, 'the shot is told', () => lines('Schuss.wbs').length, (n) => n > 0, 5).catch((e) => fail(e.message));
    console.log(`${(streamed / limit).toFixed(2)} x 16 MB sent of an endless sound; the page said:\n  ${page.said.join('\n  ')}`);
    check(streamed < 2 * limit, 'the page read on past the limit');
    check(lines('Schuss.wbs').length === 1 && lines('Schuss.wbs')[0].includes('larger than 16 MB'), 'the endless sound was not refused once');
    check(lines('Leer.wbs').length === 1 && lines('Leer.wbs')[0].includes('cut short'), 'the cut sound was not refused once');
    await page.close();
  }

  // In a frame of another site's page, the size of the game's window: a click on the game
  // gives it the keyboard. Another frame, not allowed the full screen, in a browser that
  // keeps nothing for the page: no full-screen button, one line that the best score is not
  // kept, and the round plays on.
  {
    const url = await serve('127.0.0.1');
    const host = await serve('127.0.0.2', (path) => ({
      type: 'text/html',
      body: `<!doctype html><body style="margin:40px;background:#ddd"><iframe src="${url}index.html?speed=16" width="700" height="380"
        style="border:0" ${path === 'portal.html' ? 'allow="fullscreen; autoplay"' : ''}></iframe></body>`,
    }));
    for (const [name, blocked] of [['portal.html', false], ['strict.html', true]]) {
      const page = await tab();
      if (blocked) {
        await page.addInitScript(() => Object.defineProperty(window, 'localStorage', {
          get() { throw new DOMException('The user denied it.', 'SecurityError'); },
        }));
      }
      await page.goto(host + name);
      const frame = await waitFor(page, 'the frame', () => page.frames().find((f) => f.url().startsWith(url)), (f) => f, 5);
      const before = await title(page, frame);
      check(before.full === !blocked, `full-screen button ${before.full ? 'shown' : 'hidden'} in ${name}`);
      await topCanvas(frame).click();
      check(await frame.evaluate(() => document.hasFocus()), `a click on the game in ${name} left the keyboard outside`);
      await page.keyboard.press('a');
      const after = await play(page, frame);
      await page.screenshot({ path: join(outDir, `3-frame-${name.replace('.html', '')}.png`) });
      if (blocked) check(/^[^\n]*gespeichert[^\n]*$/.test(after.note || ''), `the line on storage: ${JSON.stringify(after.note)}`);
      // Whether a frame of another site may keep anything is the browser's choice.
      else console.log(`in a frame of another site: ${after.note || 'the best score is kept'}`);
      await page.close();
    }
  }

  // The page's own files missing or refused: a few German words within seconds, the details
  // in the console only.
  for (const [what, respond] of [
    ['index.js missing', (p) => (p === 'index.js' ? { body: null } : {})],
    ['index.wasm broken', (p) => (p === 'index.wasm' ? { body: 'not a program' } : {})],
    ['WebAssembly refused', () => ({ headers: { 'Content-Security-Policy': "script-src 'self'" } })],
  ]) {
    const page = await tab();
    const url = await serve('127.0.0.1', respond);
    await page.goto(`${url}index.html`);
    const s = await waitFor(page, what, () => shown(page), (v) => v.loading && !v.loading.includes('wird geladen'), 5)
      .catch((e) => { fail(e.message); return { loading: '' }; });
    check(/^Knuffelhatz [^:]*\.$/.test(s.loading), `${what}: the page shows "${s.loading}"`);
    check(page.said.some((t) => t.startsWith('knuffelhatz: ')), `${what}: nothing in the console`);
    if (what === 'index.js missing') await page.screenshot({ path: join(outDir, '4-not-loaded.png') });
    await page.close();
  }
} catch (e) {
  fail(e.message);
} finally {
  await context.close();
  for (const s of servers) { s.closeAllConnections(); s.close(); }
  rmSync(profile, { recursive: true, force: true });
}
console.log(failed ? 'hosted page test FAILED' : 'hosted page test passed');
process.exit(failed ? 1 : 0);

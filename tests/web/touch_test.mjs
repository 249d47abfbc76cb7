// The page on a phone in headless Chromium (touch only, pixel ratio 3), played by touch: a tap
// on the title starts a round once the prompt shows, taps at the creature score, a finger
// held at an edge steers without firing, the page never scrolls or zooms, turning the phone
// keeps the round; then offline after a first visit, a new build taking over at the next
// start, the manifest with its icons, and the full-screen button by touch.
//   node touch_test.mjs PAGE_DIR OUT_DIR
import { mkdirSync, readFileSync, rmSync } from 'node:fs';
import { join } from 'node:path';
import { launch, serveAs, waitFor as waitUntil } from './browser.mjs';

const [pageDir, outDir] = process.argv.slice(2);
if (!pageDir || !outDir) throw new Error('usage: node touch_test.mjs PAGE_DIR OUT_DIR');
mkdirSync(outDir, { recursive: true });

// A second build, when the test says so: another cache name and a mark in its page.
let build = 1;
const { server, url } = await serveAs(pageDir, '127.0.0.1', (path) => {
  if (build === 1) return {};
  if (path === 'sw.js') return { body: readFileSync(join(pageDir, path), 'utf8').replace(/knuffelhatz-[0-9a-f]+/, 'knuffelhatz-second') };
  if (path === '' || path === 'index.html')
    return { body: readFileSync(join(pageDir, 'index.html'), 'utf8').replace('<head>', '<head><meta name="kh-build" content="2">'), type: 'text/html' };
  return {};
});
const landscape = { width: 844, height: 390 }, portrait = { width: 390, height: 844 };
const { context, profile } = await launch({ viewport: landscape, hasTouch: true, isMobile: true, deviceScaleFactor: 3 });
let failed = false;
let page = null;
const problems = [];
const fail = (what) => { failed = true; console.error('FAIL: ' + what); };
try {
  page = context.pages()[0] || await context.newPage();
  page.on('pageerror', (e) => problems.push(String(e)));
  const cdp = await context.newCDPSession(page);
  const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });

  // During a navigation the page cannot answer: that counts as not yet.
  const ask = (f, arg) => page.evaluate(f, arg).catch(() => undefined);
  const texts = (live) => ask((l) => {
    const el = document.querySelector(`.kh-text[aria-live="${l}"]:not([hidden])`);
    return el ? el.textContent : '';
  }, live);
  const titleText = () => texts('polite');
  const playText = () => texts('off');
  const waitFor = (what, get, test, seconds) => waitUntil(page, what, get, test, seconds);
  const number = (re, t) => Number((re.exec(t || '') || [])[1]);

  // The window on top: where its picture pixel (x, y) is on the page, and the creature there by
  // its orange fur (as the mouse's page test finds it); `strip` is its bottom rows, the meadow.
  const look = () => ask(() => {
    const c = [...document.querySelectorAll('canvas.kh-window:not([hidden])')].pop();
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0, sx = 0, sy = 0;
    for (let y = 0; y < c.height; ++y)
      for (let x = 0; x < c.width; ++x) {
        const i = 4 * (y * c.width + x);
        if (d[i] >= 216 && d[i + 1] >= 136 && d[i + 1] <= 176 && d[i + 2] >= 48 && d[i + 2] <= 112) { ++n; sx += x; sy += y; }
      }
    const r = c.getBoundingClientRect();
    const strip = [];
    for (let x = 10; x < 400; x += 3) strip.push(d[4 * (250 * c.width + x)], d[4 * (270 * c.width + x) + 1]);
    return { n, cx: sx / n, cy: sy / n, rect: r.toJSON(), w: c.width, h: c.height, strip };
  });
  const at = (v, x, y) => ({ x: v.rect.left + (x + 0.5) * v.rect.width / v.w, y: v.rect.top + (y + 0.5) * v.rect.height / v.h });
  const tap = (p) => page.touchscreen.tap(p.x, p.y);
  const changed = (a, b) => a.strip.filter((x, i) => x !== b.strip[i]).length / a.strip.length;

  // A finger held at the left or right edge of the play area for `ms`.
  const steer = async (side, ms) => {
    const p = at(await look(), side < 0 ? 25 : 396, 150);
    await touch('touchStart', [p]);
    await page.waitForTimeout(ms);
    await touch('touchEnd', []);
  };
  // Taps at the creature (steering towards it when it is out of sight) until the score grows
  // past `from`; `onShot` hears each tap that fired.
  const hunt = async (from, seconds, onShot = async () => {}) => {
    const end = Date.now() + seconds * 1000;
    let side = 1;
    while (Date.now() < end) {
      const v = await look();
      if (v && v.n > 30) {
        const before = number(/Schuss: (\d)/, await playText());
        await tap(at(v, v.cx, v.cy));
        await page.waitForTimeout(30);
        if (before > 0) await onShot(before - 1);
      } else {
        side = -side;
        await steer(side, 250);
      }
      const punkte = number(/Punkte: (\d+)/, await playText());
      if (punkte > from) return punkte;
    }
    throw new Error(`no points by touch in ${seconds} s`);
  };
  const unmoved = async (what) => {
    const s = await ask(() => [window.scrollX, window.scrollY, document.scrollingElement.scrollTop, window.visualViewport.scale]);
    if (JSON.stringify(s) !== '[0,0,0,1]') fail(`the page moved after ${what}: scroll and zoom ${JSON.stringify(s)}`);
  };

  // Landscape, a first visit at the real clock: a tap before the prompt does nothing.
  await page.goto(`${url}index.html`);
  await waitFor('the title', titleText, (t) => t.includes('bite warten'), 15);
  const title = await look();
  await tap(at(title, 170, 90));
  await page.waitForTimeout(200);
  if ((await playText()) !== '') fail('a tap before the prompt started a round');
  await waitFor('the title asks for a key', titleText, (t) => t.includes('Bitte Taste drücken'), 5);
  if (await playText() !== '') fail('a tap before the prompt started a round');
  await page.screenshot({ path: join(outDir, '1-landscape-title.png') });
  await tap(at(title, 170, 90));
  await waitFor('a tap starts the round', playText, (t) => t.includes('Punkte'), 5);
  const audio = await ask(() => Module.khSound());
  if (!audio || audio.state !== 'running') fail(`the first tap did not start the sound: ${JSON.stringify(audio)}`);

  // A finger at an edge steers: the meadow slides while it is held, stands when it is lifted,
  // and no shot is fired.
  const shotsBefore = await playText();
  const still = await look();
  await steer(-1, 300);
  await page.waitForTimeout(200);
  const steered = await look();
  await page.waitForTimeout(300);
  const rested = await look();
  console.log(`steering: ${changed(still, steered).toFixed(2)} of the meadow changed while held, ${changed(steered, rested).toFixed(2)} after`);
  if (changed(still, steered) < 0.3) fail(`a finger held at the edge did not scroll the view (${changed(still, steered)})`);
  if (changed(steered, rested) > 0.1) fail(`the view scrolled on after the finger was lifted (${changed(steered, rested)})`);
  if (number(/Schuss: (\d)/, await playText()) !== number(/Schuss: (\d)/, shotsBefore)) fail('steering fired a shot');

  // Taps at the creature score; the fifth shot empties the magazine.
  let reloading = false;
  let punkte = await hunt(0, 20, async (left) => {
    if (left === 0 && !reloading) reloading = (await playText()).includes('Nachladen...');
  });
  await page.screenshot({ path: join(outDir, '2-landscape-points.png') });
  console.log(`landscape: ${punkte} points by touch`);
  for (let i = 0; !reloading && i < 6; ++i) {
    await tap(at(await look(), 200, 120));
    reloading = (await playText()).includes('Nachladen...');
  }
  if (!reloading) fail('no "Nachladen..." after the fifth shot');

  // A double tap and a two-finger pinch neither scroll nor zoom the page.
  const mid = at(await look(), 200, 120);
  await tap(mid);
  await page.waitForTimeout(80);
  await tap(mid);
  await touch('touchStart', [{ x: mid.x - 20, y: mid.y }, { x: mid.x + 20, y: mid.y }]);
  for (let d = 30; d <= 150; d += 30) await touch('touchMove', [{ x: mid.x - d, y: mid.y }, { x: mid.x + d, y: mid.y }]);
  await touch('touchEnd', []);
  await page.waitForTimeout(200);
  await unmoved('taps, a double tap and a pinch');

  // Turned upright mid-round: the round goes on, and a tap still lands where it is aimed.
  const clock = number(/Zeit: *(-?\d+)/, await playText());
  await page.setViewportSize(portrait);
  await page.waitForTimeout(300);
  await page.screenshot({ path: join(outDir, '3-portrait-play.png') });
  if (!(await playText()).includes('Punkte: ' + punkte)) fail('turning the phone lost the round');
  punkte = await hunt(punkte, 25);
  console.log(`portrait: ${punkte} points by touch (the clock at ${clock} when turned)`);
  await unmoved('playing upright');

  // Offline after the first visit: the page starts and plays from what the worker kept.
  await waitFor('the worker is ready', () => ask(() => navigator.serviceWorker.ready.then((r) => !!r.active)), (v) => v, 10);
  await context.setOffline(true);
  await page.goto(`${url}index.html?speed=8`);
  await waitFor('offline: the prompt', titleText, (t) => t.includes('Bitte Taste drücken'), 10);
  await tap(at(await look(), 170, 90));
  const offline = await waitFor('offline: a round', playText, (t) => /Zeit:\d/.test(t), 5);
  await page.screenshot({ path: join(outDir, '4-portrait-offline.png') });
  const sounds = await waitFor('offline: the sounds', () => ask(() => Module.khFilesPending.size === 0 && Object.keys(Module.khFiles).length),
    (n) => n !== false, 5);
  if (sounds !== 4) fail(`offline the page has ${sounds} sounds, not 4`);
  await context.setOffline(false);
  console.log(`offline: ${JSON.stringify(offline)}`);

  // A second build: the next start finds it and still runs the first; the start after that
  // runs the second whole, its cache alone.
  build = 2;
  const mark = () => ask(() => (document.querySelector('meta[name="kh-build"]') || {}).content || '1');
  await page.reload();
  await waitFor('the first build still starts', titleText, (t) => t.includes('Hiscore'), 10);
  if (await mark() !== '1') fail('the second build came in mid-start');
  await waitFor('the second build waits', () => ask(() => navigator.serviceWorker.getRegistration().then((r) => !!(r && r.waiting))),
    (v) => v, 20);
  await page.reload();
  await waitFor('the second build at the next start', mark, (m) => m === '2', 15).catch(async (e) => {
    const workers = await ask(async () => {
      const r = await navigator.serviceWorker.getRegistration();
      const c = navigator.serviceWorker.controller;
      return { controlled: !!c, active: r && r.active && r.active.state, waiting: r && r.waiting && r.waiting.state,
        installing: r && r.installing && r.installing.state, activeControls: !!r && r.active === c,
        handingOver: khHandingOver, caches: await caches.keys() };
    });
    throw new Error(`${e.message}; the workers: ${JSON.stringify(workers)}`);
  });
  await waitFor('the second build plays', titleText, (t) => t.includes('Hiscore'), 10);
  const kept = await ask(() => caches.keys());
  if (JSON.stringify(kept) !== '["knuffelhatz-second"]') fail(`caches after the change: ${JSON.stringify(kept)}`);

  // The manifest parses, and names icons that are served at their sizes.
  const icons = await ask(async () => {
    const m = await (await fetch('manifest.webmanifest', { cache: 'no-store' })).json();
    const sizes = [];
    for (const i of m.icons) {
      const b = await createImageBitmap(await (await fetch(i.src, { cache: 'no-store' })).blob());
      sizes.push(`${i.sizes}=${b.width}x${b.height}`);
    }
    return { name: m.name, display: m.display, orientation: m.orientation, sizes };
  });
  console.log(`manifest: ${JSON.stringify(icons)}`);
  if (!icons || icons.name !== 'Knuffelhatz' || !icons.sizes.length || icons.sizes.some((s) => s.split('=')[0] !== s.split('=')[1]))
    fail(`the manifest or its icons: ${JSON.stringify(icons)}`);
  // The full-screen button answers a tap.
  const button = await (await page.$('#kh-full')).boundingBox();
  await tap({ x: button.x + button.width / 2, y: button.y + button.height / 2 });
  await waitFor('the full screen by touch', () => ask(() => !!document.fullscreenElement), (v) => v, 5);
  if (problems.length) fail('the page reported: ' + problems.join(' | '));
} catch (e) {
  fail(e.message);
  if (page) await page.screenshot({ path: join(outDir, 'failed.png') }).catch(() => {});
  if (problems.length) console.error('the page said:\n  ' + problems.join('\n  '));
} finally {
  await context.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
console.log(failed ? 'web touch test FAILED' : 'web touch test passed');
process.exit(failed ? 1 : 0);

// The web page in headless Chromium, played as a person would: wait for the title to ask
// for a key, press one, shoot at the creature until the score shows points, and after the
// round and a reload find the best score on the title.
//   node page_test.mjs PAGE_DIR OUT_DIR
// What the player sees is read from the canvases' pixels and from the windows' texts the page
// mirrors for screen readers. Screenshots go to OUT_DIR.
import { mkdirSync, rmSync } from 'node:fs';
import { join } from 'node:path';
import { launch, serve } from './browser.mjs';

const [pageDir, outDir] = process.argv.slice(2);
if (!pageDir || !outDir) throw new Error('usage: node page_test.mjs PAGE_DIR OUT_DIR');
mkdirSync(outDir, { recursive: true });

// A faster clock for the test: a round takes 90 s / SPEED.
const speed = Number(process.env.KH_WEB_SPEED || 3);

const { server, url } = await serve(pageDir);
const { context, profile } = await launch();
let failed = false;
let page = null;
const problems = [];
const fail = (what) => { failed = true; console.error('FAIL: ' + what); };
try {
  page = context.pages()[0] || await context.newPage();
  page.on('console', (m) => { if (m.type() === 'warning' || m.type() === 'error') problems.push(m.text()); });
  page.on('pageerror', (e) => problems.push(String(e)));
  // Nothing but our own server.
  const foreign = [];
  page.on('request', (r) => { if (!r.url().startsWith(url) && !r.url().startsWith('data:')) foreign.push(r.url()); });

  // The texts a window shows, as the page mirrors them: the title's are announced, the play
  // window's (its clock ticks every second) are not.
  const texts = (live) => page.evaluate((l) => {
    const el = document.querySelector(`.kh-text[aria-live="${l}"]:not([hidden])`);
    return el ? el.textContent : '';
  }, live);
  const titleText = () => texts('polite');
  const playText = () => texts('off');
  const waitFor = async (what, get, test, seconds) => {
    const end = Date.now() + seconds * 1000;
    for (;;) {
      const v = await get();
      if (test(v)) return v;
      if (Date.now() > end) throw new Error(`${what}: still "${v}" after ${seconds} s`);
      await page.waitForTimeout(50);
    }
  };

  await page.goto(`${url}index.html?speed=${speed}`);
  await waitFor('the title asks for a key', titleText, (t) => t.includes('Bitte Taste drücken'), 30 / speed + 10);
  const firstFrame = await page.evaluate(() => window.khFirstFrameMs);
  console.log(`first frame of the title ${firstFrame.toFixed(0)} ms after navigation`);
  // The title is drawn: its picture has more than a handful of colours.
  const colours = await page.evaluate(() => {
    const c = document.querySelector('canvas.kh-window:not([hidden])');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const seen = new Set();
    for (let i = 0; i < d.length; i += 4) seen.add((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]);
    return seen.size;
  });
  if (colours < 16) fail(`the title shows only ${colours} colours`);
  await page.screenshot({ path: join(outDir, '1-title.png') });

  await page.keyboard.press('a');
  await waitFor('the play window shows', playText, (t) => t.includes('Punkte'), 5);

  // The creature's orange fur is a colour nothing else on the meadow has.
  const findCreature = () => page.evaluate(() => {
    const c = [...document.querySelectorAll('canvas.kh-window:not([hidden])')].pop();
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0, sx = 0, sy = 0;
    for (let y = 0; y < c.height; ++y)
      for (let x = 0; x < c.width; ++x) {
        const i = 4 * (y * c.width + x);
        if (d[i] >= 216 && d[i + 1] >= 136 && d[i + 1] <= 176 && d[i + 2] >= 48 && d[i + 2] <= 112) { ++n; sx += x; sy += y; }
      }
    const r = c.getBoundingClientRect();
    const page = (x, y) => ({ x: r.left + (x + 0.5) * r.width / c.width, y: r.top + (y + 0.5) * r.height / c.height });
    return { n, at: n ? page(sx / n, sy / n) : null, rest: page(c.width / 2, c.height / 2) };
  });
  let shots = 0, punkte = 0, rest = null, side = 0, sideSince = 0;
  const aimEnd = Date.now() + 60_000 / speed;
  while (Date.now() < aimEnd) {
    const seen = await findCreature();
    rest = seen.rest;
    if (seen.n > 30) {
      await page.mouse.click(seen.at.x, seen.at.y);
      ++shots;
      if (shots === 1) await page.screenshot({ path: join(outDir, '2-first-shot.png') });
    } else if (Date.now() - sideSince > 4000 / speed) {
      // Out of sight: look the other way, the pointer at that edge of the play area.
      side = side === 0 ? -1 : -side;
      sideSince = Date.now();
      const box = await page.evaluate(() => [...document.querySelectorAll('canvas.kh-window:not([hidden])')].pop().getBoundingClientRect().toJSON());
      await page.mouse.move(side < 0 ? box.left + box.width * 0.04 : box.right - box.width * 0.04, rest.y);
    }
    const m = /Punkte: (\d+)/.exec(await playText());
    punkte = m ? Number(m[1]) : 0;
    if (punkte > 0) break;
    await page.waitForTimeout(30);
  }
  console.log(`${shots} shots for ${punkte} points`);
  await page.screenshot({ path: join(outDir, '3-points.png') });
  if (punkte <= 0) throw new Error('no points after aiming at the creature');
  // The shots were played: their sounds, decoded by the game, reached Web Audio, which the
  // key that started the round let run.
  const audio = await page.evaluate(() => Module.khSound());
  if (audio.sounds < 1 || audio.state !== 'running') fail(`the shots were not played: ${JSON.stringify(audio)}`);
  // Where a player's hand would rest until the round ends.
  await page.mouse.move(rest.x, rest.y);

  // While the page is hidden the game's clock stands still; shown again, it goes on.
  const zeit = async () => Number((/Zeit: *(-?\d+)/.exec(await playText()) || [])[1]);
  const setHidden = (hidden) => page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  // The clock's label shows its first value a second into the round; a quick hit comes sooner.
  const before = await waitFor('the clock shows', zeit, (z) => !Number.isNaN(z), 5);
  await setHidden(true);
  await page.waitForTimeout(6000 / speed);
  await setHidden(false);
  await page.waitForTimeout(100);
  const after = await zeit();
  if (!(before - after <= 1)) fail(`the clock ran on in a hidden page: "Zeit:${before}", then "Zeit:${after}"`);
  await waitFor('the clock goes on', zeit, (z) => z < after, 3);

  const result = await waitFor('the round ends', titleText, (t) => t.includes('Status:'), 100 / speed + 15);
  console.log(`the title after the round: ${JSON.stringify(result)}`);
  const final = Number(/Punkte: (\d+)/.exec(result)[1]);
  if (final < punkte) fail(`the result ${final} is below the points seen in play ${punkte}`);
  await page.screenshot({ path: join(outDir, '4-result.png') });

  await page.reload();
  const again = await waitFor('the best score after a reload', titleText, (t) => /Hiscore: \d+/.test(t), 15);
  const best = Number(/Hiscore: (\d+)/.exec(again)[1]);
  console.log(`after a reload: ${JSON.stringify(again)}`);
  if (best !== final) fail(`the title shows the best score ${best}, not ${final}`);
  const stored = await page.evaluate(() => localStorage.getItem('knuffelhatz/Hi.wbh'));
  const expect = [final & 255, (final >> 8) & 255].map((b) => b.toString(16).padStart(2, '0')).join('');
  if (stored !== expect) fail(`local storage holds ${stored}, not the two bytes ${expect}`);
  await page.screenshot({ path: join(outDir, '5-reloaded.png') });

  // The program said nothing: the font and every sound arrived.
  const ours = problems.filter((p) => /knuffelhatz|Aborted|Error/.test(p));
  if (ours.length) fail('the page reported: ' + ours.join(' | '));

  // The stored bytes are the file's: little-endian and signed. Something else is reported,
  // read as no best score yet, and left as it is.
  const key = 'knuffelhatz/Hi.wbh';
  for (const [value, shown] of [['ff7f', 'Hiscore: 32767'], ['ffff', 'Hiscore: -1'], ['Hallo', 'Hiscore: 0']]) {
    await page.evaluate(([k, v]) => localStorage.setItem(k, v), [key, value]);
    await page.reload();
    await waitFor(`the title with "${value}" stored`, titleText, (t) => t.includes(shown), 15);
  }
  if (await page.evaluate((k) => localStorage.getItem(k), key) !== 'Hallo') fail('a value not holding a score was changed');
  if (!problems.some((p) => p.includes("cannot read the best score in the page's storage"))) fail('an unreadable value was not reported');
  if (foreign.length) fail('the page asked other sites: ' + foreign.join(', '));
} catch (e) {
  fail(e.message);
  if (page) await page.screenshot({ path: join(outDir, 'failed.png') }).catch(() => {});
  if (problems.length) console.error('the page said:\n  ' + problems.join('\n  '));
} finally {
  await context.close();
  server.kill();
  rmSync(profile, { recursive: true, force: true });
}
console.log(failed ? 'web page test FAILED' : 'web page test passed');
process.exit(failed ? 1 : 0);

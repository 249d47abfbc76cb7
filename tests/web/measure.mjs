// The web page's budgets, measured (not a test: the figures depend on the machine).
//   node measure.mjs PAGE_DIR
// - the program's size: index.wasm + index.js compressed with gzip;
// - the first frame of the title after navigation, in a fresh browser and again warm;
// - CPU of all the browser's processes over 10 s: a blank page with one 10 ms timer, a naive
//   page that puts a changed 400x250 picture into a canvas of that size (shown at scale 2) at
//   every display frame, then a round in play with the pointer resting on the play area, in
//   one browser run.
import { readFileSync, readdirSync, rmSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { launch, serve } from './browser.mjs';

const pageDir = process.argv[2];
if (!pageDir) throw new Error('usage: node measure.mjs PAGE_DIR');
const seconds = Number(process.env.KH_MEASURE_SECONDS || 10);

const gz = ['index.wasm', 'index.js'].map((f) => gzipSync(readFileSync(join(pageDir, f)), { level: 9 }).length);
console.log(`size: index.wasm ${(gz[0] / 1024).toFixed(1)} KB + index.js ${(gz[1] / 1024).toFixed(1)} KB gzip = ${((gz[0] + gz[1]) / 1024).toFixed(1)} KB (budget 400 KB)`);

// Every process whose ancestry leads to the one started with our profile.
const ticksPerSecond = 100;
function browserTicks(profile) {
  const procs = new Map();
  for (const pid of readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
      const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const cmd = readFileSync(`/proc/${pid}/cmdline`, 'utf8');
      const type = (/--type=([a-z-]+)/.exec(cmd) || [0, 'browser'])[1];
      procs.set(Number(pid), { ppid: Number(f[1]), ticks: Number(f[11]) + Number(f[12]), root: cmd.includes(profile), type });
    } catch { /* gone meanwhile */ }
  }
  const ours = (pid, depth = 0) => {
    const p = procs.get(pid);
    return !!p && depth < 20 && (p.root || ours(p.ppid, depth + 1));
  };
  let sum = 0;
  const byType = {};
  for (const [pid, p] of procs) if (ours(pid)) { sum += p.ticks; byType[p.type] = (byType[p.type] || 0) + p.ticks; }
  if (process.env.KH_MEASURE_BY_TYPE) console.log(JSON.stringify(byType));
  return sum;
}
async function cpuOver(profile, page) {
  const t0 = browserTicks(profile), w0 = Date.now();
  await page.waitForTimeout(seconds * 1000);
  const share = (browserTicks(profile) - t0) / ticksPerSecond / ((Date.now() - w0) / 1000);
  return share * 100;
}

const { server, url } = await serve(pageDir);
const { context, profile } = await launch();
try {
  const page = context.pages()[0] || await context.newPage();
  const firstFrame = async () => {
    await page.goto(`${url}index.html`);
    await page.waitForFunction(() => window.khFirstFrameMs !== undefined, null, { timeout: 10000 });
    return page.evaluate(() => window.khFirstFrameMs);
  };
  const cold = await firstFrame();
  const warm = [];
  for (let i = 0; i < 3; ++i) warm.push(await firstFrame());
  console.log(`first frame of the title: ${cold.toFixed(0)} ms in a fresh browser, ${warm.map((t) => t.toFixed(0)).join(', ')} ms warm (budget 500 ms)`);

  await page.goto('about:blank');
  await page.evaluate(() => { window.khIdle = setInterval(() => {}, 10); });
  const blank = await cpuOver(profile, page);

  await page.goto('about:blank');
  await page.evaluate(() => {
    const c = document.createElement('canvas');
    c.width = 400;
    c.height = 250;
    Object.assign(c.style, { width: '800px', height: '500px', imageRendering: 'pixelated' });
    document.body.append(c);
    const ctx = c.getContext('2d', { alpha: false }), img = ctx.createImageData(400, 250);
    const px = new Uint32Array(img.data.buffer);
    let n = 0;
    const frame = () => {
      ++n;
      for (let i = 0; i < px.length; ++i) px[i] = 0xff000000 | (Math.imul(i + n, 2654435761) >>> 8);
      ctx.putImageData(img, 0, 0);
      requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
  });
  const naive = await cpuOver(profile, page);

  await page.goto(`${url}index.html${process.env.KH_QUERY || ''}`);
  await page.waitForFunction(() => [...document.querySelectorAll('.kh-text')].some((e) => e.textContent.includes('Bitte Taste')), null, { timeout: 20000 });
  await page.keyboard.press('a');
  await page.waitForTimeout(500);
  const box = await page.evaluate(() => [...document.querySelectorAll('canvas.kh-window:not([hidden])')].pop().getBoundingClientRect().toJSON());
  await page.mouse.move(box.left + box.width / 2, box.top + box.height / 2);
  const play = await cpuOver(profile, page);
  console.log(`CPU of the browser's processes over ${seconds} s: blank page with a 10 ms timer ${blank.toFixed(1)}%, ` +
    `a naive page drawing every display frame ${naive.toFixed(1)}%, a round in play ${play.toFixed(1)}% of a core: ` +
    `${(play / blank).toFixed(1)} times the blank page (aim: at most 3), ${(play / naive).toFixed(2)} times the naive page (aim: below 1)`);
} finally {
  await context.close();
  server.kill();
  rmSync(profile, { recursive: true, force: true });
}

import { launch, serve } from './browser.mjs';
const { server, url } = await serve(process.argv[2]);
const { context } = await launch();
const page = context.pages()[0];
for (let i = 0; i < 4; ++i) {
  await page.goto(url + 'index.html');
  await page.waitForFunction(() => window.khFirstFrameMs !== undefined);
  const r = await page.evaluate(() => [window.khFirstFrameMs, performance.getEntriesByType('resource').map(e => [e.name.split('/').pop(), Math.round(e.startTime), Math.round(e.responseEnd)]), performance.getEntriesByType('navigation').map(e=>[Math.round(e.responseEnd), Math.round(e.domContentLoadedEventEnd)]), window.khMainAt]);
  console.log(JSON.stringify(r));
}
await context.close(); server.kill();

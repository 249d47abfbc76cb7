// The page's loader, in a file of its own so that a host's Content-Security-Policy may forbid
// inline script: the program's settings (Module), the font it waits for, the names of the
// sound files the page serves, and the full-screen button. Runs before the program's script
// (index.js), which reads Module. What went wrong is told on the page in a few German words,
// the details in the console.
'use strict';
// Offline: the service worker keeps this build's files (sw.js). A newer build it has found
// waits; the next start hands over to it before the program runs, and starts again from its
// files (once), so a page is never a mix of two builds; other pages still open keep playing
// what they have. Where the page may not have a worker (a file:// page, some iframes) it
// simply plays online.
var khWorkers = null;
try { khWorkers = navigator.serviceWorker || null; } catch (e) { /* a sandboxed iframe may not even ask */ }
var khHandingOver = false;
var khWorkerChecked = !khWorkers || !khWorkers.controller ? Promise.resolve() : khWorkers.getRegistration().then(function (reg) {
  var next = reg && reg.waiting;
  if (!next) return;
  khHandingOver = true;
  next.postMessage('take over');
  // Watched until it has taken over. Without a listener holding on to it, a busy browser could
  // drop the worker and the message with it, and the page waited for good.
  next.addEventListener('statechange', function () { if (next.state === 'activated') location.reload(); });
  return new Promise(function () {});  // the page starts again
}).catch(function () {});
if (khWorkers) khWorkers.addEventListener('controllerchange', function () { if (khHandingOver) location.reload(); });
var khFailed = false;
function khFail(shown, detail) {
  console.error('knuffelhatz: ' + detail);
  if (khFailed) return;
  khFailed = true;
  var box = document.getElementById('kh-loading');
  box.hidden = false;
  box.classList.add('kh-failed');
  box.textContent = shown;
  document.getElementById('kh-full').hidden = true;
}
var khNotLoaded = 'Knuffelhatz konnte nicht geladen werden.';
// The labels' font is here (or known to be missing) before the program starts; the sounds
// are fetched once it runs (kh_web_files_fetch) and never waited for.
var khFont = document.fonts ? document.fonts.load('900 21px "Lato Black"').catch(function () {}) : Promise.resolve();
// The program's code is fetched while its script still loads.
var khWasm = fetch('index.wasm');
// Set by index.js as it runs: its first act is to ask for the compiled code.
var khScriptRan = false;
var Module = {
  instantiateWasm: function (imports, receive) {
    khScriptRan = true;
    khWasm.then(function (r) {
      if (!r.ok) throw new Error('index.wasm: HTTP ' + r.status);
      // Compiled while it downloads where the server calls it WebAssembly; as bytes under any
      // other type, which browsers refuse to stream.
      var type = (r.headers.get('Content-Type') || '').split(';')[0].trim().toLowerCase();
      if (WebAssembly.instantiateStreaming && type === 'application/wasm') return WebAssembly.instantiateStreaming(r, imports);
      return r.arrayBuffer().then(function (b) { return WebAssembly.instantiate(b, imports); });
    }).then(function (r) { receive(r.instance, r.module); }, function (e) {
      khFail(khNotLoaded, 'cannot start index.wasm: ' + e);
    });
    return {};
  },
  khFileNames: ['Leer.wbs', 'Schuss.wbs', 'Treffer1.wbs', 'Treffer2.wbs'],
  khFiles: {},
  khFileErrors: {},
  preRun: [function () {
    Module.addRunDependency('kh-font');
    // A new build's hand-over (above) comes before the program too.
    Promise.all([khFont, khWorkerChecked]).then(function () { Module.removeRunDependency('kh-font'); });
  }],
  khFirstFrame: function () {
    if (window.khFirstFrameMs !== undefined) return;
    window.khFirstFrameMs = performance.now();
    // Only now: keeping the files offline fetches them again, which must not slow the start.
    if (khWorkers) khWorkers.register('sw.js').catch(function () {});
  },
  print: function (t) { console.log(t); },
  printErr: function (t) { console.warn(t); },
  onAbort: function (what) { khFail('Knuffelhatz ist stehen geblieben.', 'stopped: ' + what); },
};
// Every script has run by now, index.js too unless it is missing, blocked or broken.
window.addEventListener('load', function () {
  if (!khScriptRan) khFail(khNotLoaded, 'the program\'s script index.js did not run (missing, blocked or broken; see above)');
});
(function () {
  var full = document.getElementById('kh-full');
  // Where the host allows no full screen (a frame without allow="fullscreen"), no button.
  full.hidden = !document.fullscreenEnabled;
  full.addEventListener('click', function (e) {
    if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
    else if (document.documentElement.requestFullscreen) document.documentElement.requestFullscreen().catch(function () {});
    e.currentTarget.blur();
  });
})();
if (typeof WebAssembly !== 'object') khFail('Dieser Browser kann Knuffelhatz nicht spielen (kein WebAssembly).', 'this browser has no WebAssembly');

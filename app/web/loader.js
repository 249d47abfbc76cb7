// The page's loader, in a file of its own so that a host's Content-Security-Policy may forbid
// inline script: the program's settings (Module), the files it needs fetched before it starts,
// and the full-screen button. Runs before the program's script (index.js), which reads Module.
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
  if (!reg || !reg.waiting) return;
  khHandingOver = true;
  reg.waiting.postMessage('take over');
  return new Promise(function () {});  // the page starts again
}).catch(function () {});
if (khWorkers) khWorkers.addEventListener('controllerchange', function () { if (khHandingOver) location.reload(); });
// The page fetches the sounds and the font while the program loads; the program starts
// once they are here (or known to be missing), so that none of it is fetched in play.
var khSounds = ['Leer.wbs', 'Schuss.wbs', 'Treffer1.wbs', 'Treffer2.wbs'];
var khReady = Promise.all(khSounds.map(function (name) {
  return fetch(name).then(function (r) {
    if (!r.ok) throw new Error('HTTP ' + r.status);
    return r.arrayBuffer();
  }).then(function (b) {
    Module.khFiles[name] = new Uint8Array(b);
  }).catch(function (e) {
    Module.khFileErrors[name] = 'the page could not fetch it (' + e.message + ')';
  });
}).concat([document.fonts ? document.fonts.load('900 21px "Lato Black"').catch(function () {}) : null, khWorkerChecked]));
// The program's code is fetched and compiled while its script still loads.
var khWasm = fetch('index.wasm');
var Module = {
  instantiateWasm: function (imports, receive) {
    var compiled = WebAssembly.instantiateStreaming
      ? WebAssembly.instantiateStreaming(khWasm, imports)
      : khWasm.then(function (r) { return r.arrayBuffer(); }).then(function (b) { return WebAssembly.instantiate(b, imports); });
    compiled.then(function (r) { receive(r.instance, r.module); }, function (e) { Module.onAbort(String(e)); });
    return {};
  },
  khFiles: {},
  khFileErrors: {},
  preRun: [function () {
    Module.addRunDependency('kh-files');
    khReady.then(function () { Module.removeRunDependency('kh-files'); });
  }],
  khFirstFrame: function () {
    if (window.khFirstFrameMs !== undefined) return;
    window.khFirstFrameMs = performance.now();
    // Only now: keeping the files offline fetches them again, which must not slow the start.
    if (khWorkers) khWorkers.register('sw.js').catch(function () {});
  },
  print: function (t) { console.log(t); },
  printErr: function (t) { console.warn(t); },
  onAbort: function (what) {
    var box = document.getElementById('kh-loading');
    box.hidden = false;
    box.classList.add('kh-failed');
    box.textContent = 'Knuffelhatz ist stehen geblieben: ' + what;
  },
};
document.getElementById('kh-full').addEventListener('click', function (e) {
  if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
  else if (document.documentElement.requestFullscreen) document.documentElement.requestFullscreen().catch(function () {});
  e.currentTarget.blur();
});
// Where the page cannot have the full screen (an iPhone, an iframe not allowed it), no button.
if (!document.fullscreenEnabled) document.getElementById('kh-full').hidden = true;
if (typeof WebAssembly !== 'object') {
  document.getElementById('kh-loading').textContent = 'Dieser Browser kann Knuffelhatz nicht spielen (kein WebAssembly).';
}

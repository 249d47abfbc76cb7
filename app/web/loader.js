// The page's loader, in a file of its own so that a host's Content-Security-Policy may forbid
// inline script: the program's settings (Module), the font it waits for, the names of the
// sound files the page serves, and the full-screen button. Runs before the program's script
// (index.js), which reads Module. What went wrong is told on the page in a few German words,
// the details in the console.
'use strict';
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
    khFont.then(function () { Module.removeRunDependency('kh-font'); });
  }],
  khFirstFrame: function () {
    if (window.khFirstFrameMs === undefined) window.khFirstFrameMs = performance.now();
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

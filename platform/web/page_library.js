// The page's side of the web backend, linked with --js-library; WebPage.h declares what the
// C++ side calls. The sums and rules that need no page are khRules (page_rules.js).
//
// kh_web_start makes the page's side once, part by part, each seeing only the parts before
// it: the screen (windows as canvases in `#kh-screen`), their layout, input, the page's
// visibility with the game's clock, sound. The best score in local storage and the files the
// page fetched need nothing made: they are read afresh at each call.
// No destructuring in loops: emscripten 3.1.6's JavaScript optimizer garbles it.
mergeInto(LibraryManager.library, {
  // The page's side: null until kh_web_start made it.
  $khPage: null,

  kh_web_start__deps: ['$khPage', '$khScreen', '$khLayout', '$khInput', '$khVisibility', '$khSound'],
  kh_web_start: function(maxScale) {
    if (khPage) throw new Error('the page is started twice');
    const screen = khScreen();
    const layout = khLayout(screen, maxScale);
    const input = khInput(screen, layout);
    const visibility = khVisibility(input);
    const sound = khSound(visibility);
    khPage = { screen, layout, input, visibility, sound };
  },

  // The windows as canvases, and the text canvas. Pixels go to the canvases once per display
  // frame, only the part that changed.
  $khScreen: function() {
    const element = document.getElementById('kh-screen');
    if (!element) throw new Error('the page has no element #kh-screen');
    const screen = {
      element, wins: new Map(), stack: [], frameAsked: false, textCanvas: document.createElement('canvas'), textPixels: null,
    };
    screen.top = () => (screen.stack.length ? screen.wins.get(screen.stack[screen.stack.length - 1]) : null);
    screen.draw = () => {
      screen.frameAsked = false;
      for (const w of screen.wins.values()) {
        if (!w.dirty || !w.ptr) continue;
        const d = w.dirty;
        w.dirty = null;
        const data = new Uint8ClampedArray(HEAPU8.buffer, w.ptr, w.canvas.width * w.canvas.height * 4);
        w.ctx.putImageData(new ImageData(data, w.canvas.width, w.canvas.height), 0, 0, d.x, d.y, d.w, d.h);
        if (!w.drawn) { w.drawn = true; if (Module.khFirstFrame) Module.khFirstFrame(w.id); }
      }
    };
    return screen;
  },

  // One whole scale in device pixels for all windows, each centred; again whenever the page's
  // size or the full screen changes.
  $khLayout: function(screen, maxScale) {
    const layout = { scale: 1 };
    layout.apply = () => {
      const dpr = window.devicePixelRatio || 1;
      const aw = Math.floor(screen.element.clientWidth * dpr), ah = Math.floor(screen.element.clientHeight * dpr);
      const wins = [...screen.wins.values()];
      layout.scale = khRules.wholeScale(aw, ah, wins.map((w) => [w.canvas.width, w.canvas.height]), maxScale);
      for (const w of wins) {
        const p = khRules.place(aw, ah, w.canvas.width, w.canvas.height, layout.scale, dpr);
        Object.assign(w.canvas.style, { width: p.width + 'px', height: p.height + 'px', left: p.left + 'px', top: p.top + 'px' });
      }
    };
    layout.toggleFullscreen = () => {
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      else if (document.documentElement.requestFullscreen) document.documentElement.requestFullscreen().catch(() => {});
    };
    window.addEventListener('resize', layout.apply);
    document.addEventListener('fullscreenchange', layout.apply);
    return layout;
  },

  // The page's handlers only queue what the player does, as [type, window, x, y, button,
  // shift, key, scale]; the program takes it on its own stack. `wake` ends the program's
  // sleep, when it sleeps.
  $khInput: function(screen, layout) {
    const input = { events: [], wake: null, captured: false };
    input.wakeUp = () => { if (input.wake) { const w = input.wake; input.wake = null; w(); } };
    input.push = (e) => { input.events.push(e); input.wakeUp(); };
    // Mouse input goes to the window on top. Outside it only while a button is held there, or
    // on the full screen, where the black bars count as the window's nearest edge.
    const mouse = (type) => (e) => {
      if (e.target instanceof Element && e.target.closest('.kh-own')) return;  // the page's own controls
      const top = screen.top();
      if (!top) return;
      const p = khRules.pointer(e.clientX, e.clientY, top.canvas.getBoundingClientRect(), top.canvas.width, top.canvas.height, layout.scale);
      const wanted = p.inside || input.captured || document.fullscreenElement;
      if (type === 1 && p.inside) input.captured = true;
      if (type === 2) input.captured = false;
      if (!wanted) return;
      if (type !== 0) e.preventDefault();
      input.push([type, top.id, p.x, p.y, khRules.buttons(type === 0, e), khRules.modifiers(e), 0, layout.scale]);
    };
    window.addEventListener('mousemove', mouse(0));
    window.addEventListener('mousedown', mouse(1));
    window.addEventListener('mouseup', mouse(2));
    screen.element.addEventListener('contextmenu', (e) => e.preventDefault());
    window.addEventListener('keydown', (e) => {
      if (khRules.isFullscreenKey(e)) {
        e.preventDefault();
        if (!e.repeat) layout.toggleFullscreen();
        return;
      }
      const key = khRules.keyChar(e), top = screen.top();
      if (!key || !top) return;
      if (e.key !== 'Escape') e.preventDefault();
      input.push([3, top.id, 0, 0, 0, 0, key, layout.scale]);
    });
    // A yield without a timer, whose delay browsers stretch when timers nest.
    input.channel = new MessageChannel();
    input.channel.port1.onmessage = () => input.wakeUp();
    return input;
  },

  // In a hidden page the game's clock stands still and nothing is drawn; the game goes on where
  // it stopped when the page is shown again. `watch` hears of each change.
  $khVisibility: function(input) {
    const v = { hiddenSince: document.hidden ? performance.now() : null, hiddenTotal: 0, watchers: [] };
    v.now = () => (v.hiddenSince !== null ? v.hiddenSince : performance.now()) - v.hiddenTotal;
    v.watch = (f) => v.watchers.push(f);
    document.addEventListener('visibilitychange', () => {
      const t = performance.now();
      if (document.hidden && v.hiddenSince === null) v.hiddenSince = t;
      if (!document.hidden && v.hiddenSince !== null) { v.hiddenTotal += t - v.hiddenSince; v.hiddenSince = null; }
      for (const f of v.watchers) f(!document.hidden);
      input.wakeUp();
    });
    return v;
  },

  // Samples played through Web Audio, which starts with the first key or click (a browser's
  // rule) and rests while the page is hidden. `ctx` stays null in a browser without it.
  $khSound: function(visibility) {
    const AC = window.AudioContext || window.webkitAudioContext;
    const sound = { available: !!AC, ctx: null, buffers: new Map(), source: null, restTimer: undefined };
    // What the browser test looks at: how many sounds the page holds and whether it plays.
    Module.khSound = () => ({ sounds: sound.buffers.size, state: sound.ctx && sound.ctx.state });
    if (!AC) return sound;
    // A running context costs the browser's audio threads their time even in silence: it
    // rests after a few quiet seconds and wakes for the next sound.
    sound.rest = () => {
      clearTimeout(sound.restTimer);
      sound.restTimer = setTimeout(() => { if (sound.ctx && !sound.source) sound.ctx.suspend().catch(() => {}); }, 5000);
    };
    const unlock = () => {
      if (!sound.ctx) { try { sound.ctx = new AC(); } catch (e) { return; } sound.rest(); }
    };
    for (const type of ['keydown', 'mousedown', 'touchend']) window.addEventListener(type, unlock, true);
    visibility.watch((shown) => {
      if (sound.ctx && !shown) sound.ctx.suspend().catch(() => {});
      if (sound.ctx && shown && sound.source) sound.ctx.resume().catch(() => {});
    });
    return sound;
  },

  kh_web_window__deps: ['$khPage'],
  kh_web_window: function(id, w, h, caption, announce) {
    const c = document.createElement('canvas');
    c.width = w;
    c.height = h;
    c.className = 'kh-window';
    c.hidden = true;
    c.setAttribute('role', 'img');
    c.setAttribute('aria-label', UTF8ToString(caption));
    const text = document.createElement('div');
    text.className = 'kh-text';
    text.setAttribute('aria-live', announce ? 'polite' : 'off');
    text.dataset.window = id;
    text.hidden = true;
    khPage.screen.element.append(c, text);
    khPage.screen.wins.set(id, { id, canvas: c, text, ctx: c.getContext('2d', { alpha: false }), dirty: null, ptr: 0, drawn: false });
    khPage.layout.apply();
  },

  kh_web_destroy__deps: ['$khPage'],
  kh_web_destroy: function(id) {
    const screen = khPage.screen, w = screen.wins.get(id);
    if (!w) return;
    w.canvas.remove();
    w.text.remove();
    screen.wins.delete(id);
    screen.stack = screen.stack.filter((i) => i !== id);
    khPage.layout.apply();
  },

  kh_web_show_window__deps: ['$khPage'],
  kh_web_show_window: function(id, shown) {
    const screen = khPage.screen, w = screen.wins.get(id);
    screen.stack = screen.stack.filter((i) => i !== id);
    if (shown) {
      screen.stack.push(id);
      screen.element.append(w.canvas, w.text);  // on top of the others
      const loading = document.getElementById('kh-loading');
      if (loading) loading.hidden = true;
    }
    w.canvas.hidden = w.text.hidden = !shown;
    khPage.input.captured = false;
  },

  // The canvas's pixels are at `rgba` in the program's memory; x, y, w, h changed.
  kh_web_dirty__deps: ['$khPage'],
  kh_web_dirty: function(id, rgba, x, y, w, h) {
    const screen = khPage.screen, win = screen.wins.get(id);
    win.ptr = rgba;
    win.dirty = khRules.union(win.dirty, { x, y, w, h });
    if (!screen.frameAsked) { screen.frameAsked = true; requestAnimationFrame(screen.draw); }
  },

  kh_web_cursor__deps: ['$khPage'],
  kh_web_cursor: function(cross) { khPage.screen.element.style.cursor = cross ? 'crosshair' : 'default'; },

  kh_web_mirror__deps: ['$khPage'],
  kh_web_mirror: function(id, text) {
    const w = khPage.screen.wins.get(id);
    if (w) w.text.textContent = UTF8ToString(text);
  },

  kh_web_random32: function() {
    const a = new Uint32Array(1);
    crypto.getRandomValues(a);
    return a[0];
  },

  kh_web_fatal: function(message) {
    const box = document.getElementById('kh-loading');
    if (box) { box.hidden = false; box.textContent = UTF8ToString(message); box.classList.add('kh-failed'); }
  },

  kh_web_now__deps: ['$khPage'],
  kh_web_now: function() { return khPage.visibility.now(); },

  kh_web_pending__deps: ['$khPage'],
  kh_web_pending: function() { return khPage.input.events.length; },

  kh_web_take__deps: ['$khPage'],
  kh_web_take: function(out) {
    const e = khPage.input.events.shift();
    if (!e) return 0;
    for (let i = 0; i < 8; ++i) HEAPF64[(out >> 3) + i] = e[i];
    return 1;
  },

  // Asynchronous through Asyncify: emscripten 3.1.6 knows no `__async`, so it is listed in
  // ASYNCIFY_IMPORTS (platform/web/CMakeLists.txt). It runs again when the program's stack is
  // rewound, which handleSleep answers, so nothing may come before that. Input already queued
  // wakes it at once, without unwinding; else the program goes on in a microtask after the
  // handler that woke it.
  kh_web_sleep__deps: ['$khPage'],
  kh_web_sleep: function(ms) {
    Asyncify.handleSleep((wakeUp) => {
      const input = khPage.input;
      if (input.events.length) { wakeUp(); return; }
      let timer = null;
      input.wake = () => { if (timer !== null) clearTimeout(timer); Promise.resolve().then(() => wakeUp()); };
      if (ms <= 0) input.channel.port2.postMessage(0);
      else if (khPage.visibility.hiddenSince === null) timer = setTimeout(input.wakeUp, ms);
    });
  },

  kh_web_test_clock_rate: function() { return khRules.clockRate(location.search); },

  // Draws the text white on the text canvas and gives its size; its coverage follows with
  // kh_web_text_coverage. The page serves Lato Black for systems without the family asked for.
  kh_web_text__deps: ['$khPage'],
  kh_web_text: function(family, px, weight, utf8, size) {
    const screen = khPage.screen, c = screen.textCanvas;
    const ctx = c.getContext('2d', { willReadFrequently: true });
    const font = weight + ' ' + px + 'px "' + UTF8ToString(family) + '", "Lato Black", sans-serif';
    const text = UTF8ToString(utf8);
    ctx.font = font;
    const m = ctx.measureText(text);
    const ascent = Math.ceil(m.fontBoundingBoxAscent), w = Math.ceil(m.width), h = ascent + Math.ceil(m.fontBoundingBoxDescent);
    HEAP32[size >> 2] = w;
    HEAP32[(size >> 2) + 1] = h;
    if (w <= 0 || h <= 0) return 0;
    c.width = w;
    c.height = h;
    ctx.font = font;
    ctx.fillStyle = '#fff';
    ctx.fillText(text, 0, ascent);
    screen.textPixels = ctx.getImageData(0, 0, w, h).data;
    return 1;
  },

  kh_web_text_coverage__deps: ['$khPage'],
  kh_web_text_coverage: function(out) {
    const screen = khPage.screen, d = screen.textPixels;
    for (let i = 0, n = d.length >> 2; i < n; ++i) HEAPU8[out + i] = d[4 * i + 3];
    screen.textPixels = null;
  },

  kh_web_audio_available__deps: ['$khPage'],
  kh_web_audio_available: function() { return khPage.sound.available ? 1 : 0; },

  kh_web_audio_buffer__deps: ['$khPage'],
  kh_web_audio_buffer: function(id, data, bytes, rate, channels) {
    const frames = Math.floor(bytes / 2 / channels);
    if (frames <= 0) return;
    const b = new AudioBuffer({ length: frames, numberOfChannels: channels, sampleRate: rate });
    const s = new Int16Array(HEAPU8.buffer, data, frames * channels);
    for (let c = 0; c < channels; ++c) {
      const out = b.getChannelData(c);
      for (let i = 0; i < frames; ++i) out[i] = s[i * channels + c] / 32768;
    }
    khPage.sound.buffers.set(id, b);
  },

  kh_web_audio_play__deps: ['$khPage'],
  kh_web_audio_play: function(id) {
    const a = khPage.sound;
    if (a.source) { a.source.onended = null; try { a.source.stop(); } catch (e) {} a.source = null; }
    const b = a.buffers.get(id);
    // Before the first key or click there is nothing to play on: that sound stays unheard.
    if (!b || !a.ctx || a.ctx.state === 'closed') return;
    if (a.ctx.state === 'suspended' && !document.hidden) a.ctx.resume().catch(() => {});
    const source = a.source = a.ctx.createBufferSource();
    source.buffer = b;
    source.connect(a.ctx.destination);
    source.onended = () => { if (a.source === source) { a.source = null; a.rest(); } };
    source.start();
  },

  // -1 when the page has no such file, with the reason in `why` (at most 200 bytes).
  kh_web_file_size: function(name, why) {
    const n = UTF8ToString(name);
    const f = Module.khFiles && Module.khFiles[n];
    if (f instanceof Uint8Array) return f.length;
    const reason = (Module.khFileErrors && Module.khFileErrors[n]) || 'not among the files the page fetched';
    stringToUTF8(reason, why, 200);
    return -1;
  },

  kh_web_file_read: function(name, out) {
    HEAPU8.set(Module.khFiles[UTF8ToString(name)], out);
  },

  kh_web_file_index: function(name) {
    return Object.keys(Module.khFiles || {}).indexOf(UTF8ToString(name)) + 1;
  },

  // Reads the best score into `out` and, when `store` is set and `score` is not below it,
  // stores `score`; 0 with the reason in `why` (at most 200 bytes) when the page cannot or the
  // value holds something else. Reading, comparing and writing happen within this one call,
  // which no other script of the page can interleave.
  kh_web_score: function(key, score, store, out, why) {
    const fail = (reason) => { stringToUTF8(reason, why, 200); return 0; };
    let storage, value;
    try {
      storage = window.localStorage;
      value = storage.getItem(UTF8ToString(key));
    } catch (e) {
      return fail('the page may not use local storage (' + e.name + ')');
    }
    const stored = khRules.decodeScore(value);
    if (stored === null) return fail('it holds something other than the score');
    HEAP32[out >> 2] = stored;
    if (!store || stored > score) return 1;
    try {
      storage.setItem(UTF8ToString(key), khRules.encodeScore(score, value));
    } catch (e) {
      return fail('the page may not store it (' + e.name + ')');
    }
    return 1;
  },
});

// The page's side of the web backend, linked with --js-library; WebPage.h declares what the
// C++ side calls. The sums and rules that need no page are khRules (page_rules.js).
//
// kh_web_start makes the page's side once, part by part, each seeing only the parts before
// it: the screen (windows as canvases in `#kh-screen`), their layout at the scale the
// program chose, input, the page's visibility with the game's clock, sound. The best score
// in local storage and the files the page fetched need nothing made: they are read afresh at
// each call.
// No destructuring in loops: emscripten 3.1.6's JavaScript optimizer garbles it.
mergeInto(LibraryManager.library, {
  // The page's side: null until kh_web_start made it.
  $khPage: null,

  kh_web_start__deps: ['$khPage', '$khScreen', '$khLayout', '$khInput', '$khVisibility', '$khSound'],
  kh_web_start: function() {
    if (khPage) throw new Error('the page is started twice');
    const screen = khScreen();
    const layout = khLayout(screen);
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

  // Each window at its whole scale in device pixels, centred in the room the page gives them
  // all; the program chooses the scale for that room (`area`). The full screen holds the page.
  $khLayout: function(screen) {
    const layout = { asked: null };
    layout.area = () => {
      const dpr = window.devicePixelRatio || 1;
      return [Math.floor(screen.element.clientWidth * dpr), Math.floor(screen.element.clientHeight * dpr)];
    };
    layout.place = (w) => {
      const dpr = window.devicePixelRatio || 1, a = layout.area();
      const p = khRules.place(a[0], a[1], w.canvas.width, w.canvas.height, w.scale, dpr);
      Object.assign(w.canvas.style, { width: p.width + 'px', height: p.height + 'px', left: p.left + 'px', top: p.top + 'px' });
    };
    layout.placeAll = () => { for (const w of screen.wins.values()) layout.place(w); };
    // `refused` hears when the browser would not, so the program knows where the page is.
    layout.fullscreen = (on, refused) => {
      if (on === !!document.fullscreenElement || on === layout.asked) return;
      if (on && !document.documentElement.requestFullscreen) return refused();
      layout.asked = on;
      const asking = on ? document.documentElement.requestFullscreen() : document.exitFullscreen();
      asking.then(() => { layout.asked = null; }, () => { layout.asked = null; refused(); });
    };
    return layout;
  },

  // The page's handlers only queue what the player does, as [type (0 move, 1 down, 2 up,
  // 3 text, 4 key, 5 area), window, x, y, button, shift, character, scale, key, repeat, full
  // screen] (WebInput.cpp); the program takes it on its own stack. `wake` ends the program's
  // sleep, when it sleeps.
  $khInput: function(screen, layout) {
    const input = { events: [], wake: null, captured: false };
    input.wakeUp = () => { if (input.wake) { const w = input.wake; input.wake = null; w(); } };
    input.push = (e) => { input.events.push(e); input.wakeUp(); };
    // The room changed, or the full screen: the windows stay centred at their scale until the
    // program has chosen the scale for the new room.
    input.area = () => {
      layout.placeAll();
      input.push([5, 0, 0, 0, 0, 0, 0, 0, 0, 0, document.fullscreenElement ? 1 : 0]);
    };
    window.addEventListener('resize', input.area);
    document.addEventListener('fullscreenchange', input.area);
    // Mouse input goes to the window on top. Outside it only while a button is held there, or
    // on the full screen, where the black bars count as the window's nearest edge.
    const mouse = (type) => (e) => {
      if (e.target instanceof Element && e.target.closest('.kh-own')) return;  // the page's own controls
      const top = screen.top();
      if (!top) return;
      const p = khRules.pointer(e.clientX, e.clientY, top.canvas.getBoundingClientRect(), top.canvas.width, top.canvas.height, top.scale);
      const wanted = p.inside || input.captured || document.fullscreenElement;
      if (type === 1 && p.inside) input.captured = true;
      if (type === 2) input.captured = false;
      if (!wanted) return;
      if (type !== 0) e.preventDefault();
      // Preventing the default also keeps the keyboard where it was, outside the page when it
      // is a frame of another site's page: the game takes it itself.
      if (type === 1) input.takeKeyboard();
      input.push([type, top.id, p.x, p.y, khRules.buttons(type === 0, e), khRules.modifiers(e), 0, top.scale, 0, 0, 0]);
    };
    input.takeKeyboard = () => {
      const a = document.activeElement;
      if (a && a !== document.body && a.blur) a.blur();
      window.focus();
    };
    window.addEventListener('mousemove', mouse(0));
    window.addEventListener('mousedown', mouse(1));
    window.addEventListener('mouseup', mouse(2));
    screen.element.addEventListener('contextmenu', (e) => e.preventDefault());
    window.addEventListener('keydown', (e) => {
      const k = khRules.keyInput(e), full = khRules.isFullscreenKey(e), top = screen.top();
      // The browser's own full screen would hold only its window, not the page.
      if (full) e.preventDefault();
      if (!k || !top) return;
      if (!full && e.key !== 'Escape') e.preventDefault();
      if (k.text) input.push([3, top.id, 0, 0, 0, 0, k.text, 0, 0, 0, 0]);
      else input.push([4, top.id, 0, 0, 0, khRules.modifiers(e), 0, 0, k.key, e.repeat ? 1 : 0, 0]);
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
  kh_web_window: function(id, w, h, caption, announce, scale) {
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
    const win = { id, canvas: c, text, scale, ctx: c.getContext('2d', { alpha: false }), dirty: null, ptr: 0, drawn: false };
    khPage.screen.wins.set(id, win);
    khPage.layout.place(win);
  },

  kh_web_destroy__deps: ['$khPage'],
  kh_web_destroy: function(id) {
    const screen = khPage.screen, w = screen.wins.get(id);
    if (!w) return;
    w.canvas.remove();
    w.text.remove();
    screen.wins.delete(id);
    screen.stack = screen.stack.filter((i) => i !== id);
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

  kh_web_scale__deps: ['$khPage'],
  kh_web_scale: function(id, scale) {
    const w = khPage.screen.wins.get(id);
    w.scale = scale;
    khPage.layout.place(w);
  },

  kh_web_fullscreen__deps: ['$khPage'],
  kh_web_fullscreen: function(on) { khPage.layout.fullscreen(!!on, khPage.input.area); },

  kh_web_area__deps: ['$khPage'],
  kh_web_area: function(size) {
    const a = khPage.layout.area();
    HEAP32[size >> 2] = a[0];
    HEAP32[(size >> 2) + 1] = a[1];
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

  kh_web_describe__deps: ['$khPage'],
  kh_web_describe: function(id, text) {
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
    for (let i = 0; i < 11; ++i) HEAPF64[(out >> 3) + i] = e[i];
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

  // Fetches the files the page names (Module.khFileNames) into Module.khFiles, or the reason
  // into Module.khFileErrors; each is refused once it is known to hold more than `limit`
  // bytes: by its announced length, else as soon as more arrives.
  kh_web_files_fetch__deps: ['$khFetchFile'],
  kh_web_files_fetch: function(limit) {
    Module.khFiles = Module.khFiles || {};
    Module.khFileErrors = Module.khFileErrors || {};
    Module.khFilesPending = new Set(Module.khFileNames || []);
    for (const name of Module.khFilesPending) {
      khFetchFile(name, limit)
        .then((bytes) => { Module.khFiles[name] = bytes; }, (e) => { Module.khFileErrors[name] = e.message; })
        .finally(() => Module.khFilesPending.delete(name));
    }
  },

  // The file's bytes, or an error saying why not. Promises, not async functions, which
  // emscripten 3.1.6's library loader cannot name.
  $khFetchFile: function(name, limit) {
    const tooLarge = () => new Error('it is larger than ' + (limit % 1048576 ? limit + ' bytes' : limit / 1048576 + ' MB'));
    const stop = new AbortController();
    const fetchFailed = (e) => { throw new Error('the page could not fetch it (' + e.message + ')'); };
    return fetch(name, { signal: stop.signal }).catch(fetchFailed).then((r) => {
      if (!r.ok) throw new Error('the page could not fetch it (HTTP ' + r.status + ')');
      if (Number(r.headers.get('Content-Length')) > limit) { stop.abort(); throw tooLarge(); }
      if (!r.body) return new Uint8Array(0);
      const reader = r.body.getReader(), parts = [];
      let have = 0;
      const more = () => reader.read().then((part) => {
        if (part.done) return;
        have += part.value.length;
        if (have > limit) { stop.abort(); throw tooLarge(); }
        parts.push(part.value);
        return more();
      }, fetchFailed);
      return more().then(() => {
        const bytes = new Uint8Array(have);
        let at = 0;
        for (const p of parts) { bytes.set(p, at); at += p.length; }
        return bytes;
      });
    });
  },

  // -1 when the page has no such file, with the reason in `why` (at most 200 bytes); -2,
  // with no reason, while it is still on its way.
  kh_web_file_size: function(name, why) {
    const n = UTF8ToString(name);
    const f = Module.khFiles && Module.khFiles[n];
    if (f instanceof Uint8Array) return f.length;
    if (Module.khFilesPending && Module.khFilesPending.has(n)) return -2;
    const reason = (Module.khFileErrors && Module.khFileErrors[n]) || 'not among the files the page serves';
    stringToUTF8(reason, why, 200);
    return -1;
  },

  kh_web_file_read: function(name, out) {
    HEAPU8.set(Module.khFiles[UTF8ToString(name)], out);
  },

  kh_web_file_index: function(name) {
    return Object.keys(Module.khFiles || {}).indexOf(UTF8ToString(name)) + 1;
  },

  // The best score's first bytes into out[2], how many there are, or -1 with the reason in
  // `why` (at most 200 bytes) when the page cannot read them or the value holds something else.
  // Nothing here yields: the program reads and writes within one turn of the page's script,
  // which no other script of the page can interleave.
  $khScoreValue__deps: ['$khScoreNotKept'],
  $khScoreValue: function(key, why) {
    try {
      return { value: window.localStorage.getItem(UTF8ToString(key)) };
    } catch (e) {
      stringToUTF8('the page may not use local storage (' + e.name + ')', why, 200);
      khScoreNotKept();
      return null;
    }
  },

  // The browser keeps nothing for the page (storage blocked or full): the player learns it
  // once, in one line on the page; the game plays on.
  $khScoreNotKept: function() {
    const note = document.getElementById('kh-note');
    if (!note || !note.hidden) return;
    note.textContent = 'Der Bestwert wird in diesem Browser nicht gespeichert.';
    note.hidden = false;
  },

  kh_web_score_read__deps: ['$khScoreValue'],
  kh_web_score_read: function(key, out, why) {
    const stored = khScoreValue(key, why);
    if (!stored) return -1;
    const bytes = khRules.storedBytes(stored.value);
    if (!bytes) { stringToUTF8('it holds something other than the score', why, 200); return -1; }
    const n = Math.min(bytes.length, 2);
    for (let i = 0; i < n; ++i) HEAPU8[out + i] = bytes[i];
    return n;
  },

  // 0 with the reason in `why` when the page cannot store them.
  kh_web_score_write__deps: ['$khScoreValue', '$khScoreNotKept'],
  kh_web_score_write: function(key, b0, b1, why) {
    const stored = khScoreValue(key, why);
    if (!stored) return 0;
    try {
      window.localStorage.setItem(UTF8ToString(key), khRules.storeBytes(b0, b1, stored.value));
    } catch (e) {
      stringToUTF8('the page may not store it (' + e.name + ')', why, 200);
      khScoreNotKept();
      return 0;
    }
    return 1;
  },
});

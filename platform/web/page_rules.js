// The page's sums and rules that need no page: where the windows go at the core's scale
// (and whether turning the device would enlarge them), what kind of pointer an event is,
// what a key gives the game, where the pointer is in device pixels, the best score's stored
// digits, the changed part of a canvas, the test clock's rate. A plain script, so that
// emscripten can put it before the program (--pre-js) for page_library.js, and Node's test
// runner can load it (tests/web/page_rules.test.mjs).
const khRules = (() => {
  // Where a window of w x h pixels shows at `scale`, in CSS pixels: centred in the area on
  // whole device pixels, so every picture pixel is a sharp square. Where even scale 1 does not
  // fit (a small phone upright), smaller, whole and as large as fits: `shrunk` then.
  function place(areaWidth, areaHeight, w, h, scale, dpr) {
    let cw = w * scale, ch = h * scale;
    const shrunk = cw > areaWidth || ch > areaHeight;
    if (shrunk) {
      const f = Math.min(areaWidth / w, areaHeight / h);
      cw = Math.max(1, Math.floor(w * f));
      ch = Math.max(1, Math.floor(h * f));
    }
    return {
      width: cw / dpr, height: ch / dpr, shrunk,
      left: Math.max(0, Math.floor((areaWidth - cw) / 2)) / dpr, top: Math.max(0, Math.floor((areaHeight - ch) / 2)) / dpr,
    };
  }

  // Whether the area turned a quarter would show windows of these sizes larger: the largest
  // share of its size each can have in the area, upright and turned.
  function turnGivesMore(areaWidth, areaHeight, sizes) {
    const fit = (aw, ah) => Math.min(...sizes.map((s) => Math.min(aw / s[0], ah / s[1])));
    const now = fit(areaWidth, areaHeight), turned = fit(areaHeight, areaWidth);
    // Only a whole step up counts, or any gain where not even scale 1 fits now.
    return now < 1 ? turned > now : Math.floor(turned) > Math.floor(now);
  }

  // 0 for the mouse, 1 for a finger, 2 for a pen, -1 for what the page takes as the mouse
  // elsewhere: a pointer event of the mouse, or a mouse event a finger made up.
  function pointerKind(e) {
    if (e.pointerType === undefined) return e.sourceCapabilities && e.sourceCapabilities.firesTouchEvents ? -1 : 0;
    return e.pointerType === 'mouse' ? -1 : e.pointerType === 'pen' ? 2 : 1;
  }

  // F11 and Alt+Enter switch the full screen, whatever else is held.
  function isFullscreenKey(e) {
    return e.key === 'F11' || (e.key === 'Enter' && e.altKey);
  }

  // The keys the core knows by name, numbered as WebInput.cpp reads them.
  const namedKeys = new Map([['F11', 1], ['Enter', 2], ['Escape', 3], ['Backspace', 4]]);

  // What a key gives the game: { text } for the character it types, { key } for one the core
  // knows by name (which decides what F11 and Alt+Enter do), null for none. Keys with Ctrl or
  // Meta are the browser's own shortcuts, but for the full screen's.
  function keyInput(e) {
    if (isFullscreenKey(e)) return { key: namedKeys.get(e.key) };
    if (e.ctrlKey || e.metaKey) return null;
    if ([...e.key].length === 1) return { text: e.key.codePointAt(0) };
    return namedKeys.has(e.key) ? { key: namedKeys.get(e.key) } : null;
  }

  // Shift, Ctrl and Alt as the game's bits 1, 2 and 4.
  function modifiers(e) {
    return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
  }

  // The game's left (1), right (2) and middle (4) button: those held while the pointer moves,
  // or the one pressed or let go.
  function buttons(moving, e) {
    return moving ? e.buttons & 7 : [1, 4, 2][e.button] || 0;
  }

  // A pointer at (x, y) in CSS pixels over a canvas of w x h pixels shown in `rect` at
  // `scale`: whether it is on the canvas, and where in device pixels of the enlarged canvas.
  function pointer(x, y, rect, w, h, scale) {
    return {
      inside: x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom,
      x: (x - rect.left) * ((w * scale) / rect.width),
      y: (y - rect.top) * ((h * scale) / rect.height),
    };
  }

  // The smallest rectangle holding both; `a` may be null.
  function union(a, b) {
    if (!a) return { x: b.x, y: b.y, w: b.w, h: b.h };
    const x = Math.min(a.x, b.x), y = Math.min(a.y, b.y);
    return { x, y, w: Math.max(a.x + a.w, b.x + b.w) - x, h: Math.max(a.y + a.h, b.y + b.h) - y };
  }

  // The best score's bytes as stored: pairs of hexadecimal digits, byte 0 first, as in
  // "Hi.wbh"; no value holds no bytes. Null for a value of anything else.
  function storedBytes(value) {
    const v = value || '';
    if (v.length % 2 || /[^0-9a-f]/i.test(v)) return null;
    const bytes = [];
    for (let i = 0; i < v.length; i += 2) bytes.push(parseInt(v.slice(i, i + 2), 16));
    return bytes;
  }

  // The value that stores the bytes b0 and b1 in place of the first two held in `value`,
  // whose later bytes stay.
  function storeBytes(b0, b1, value) {
    const hex = (b) => (b & 255).toString(16).padStart(2, '0');
    return hex(b0) + hex(b1) + (value || '').slice(4);
  }

  // How much faster a test asked the game's clock to run with `?speed=N`: 1 to 16, never slower.
  function clockRate(search) {
    const n = Math.floor(Number(new URLSearchParams(search).get('speed')));
    return n >= 1 ? Math.min(n, 16) : 1;
  }

  return Object.freeze({ place, turnGivesMore, pointerKind, isFullscreenKey, keyInput, modifiers, buttons, pointer, union,
    storedBytes, storeBytes, clockRate });
})();
if (typeof module === 'object' && module.exports) module.exports = khRules;

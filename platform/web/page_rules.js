// The page's sums and rules that need no page: the scale and places of the windows, what a
// key means, where the pointer is in device pixels, the best score's stored digits, the
// changed part of a canvas, the test clock's rate. A plain script, so that emscripten can put
// it before the program (--pre-js) for page_library.js, and Node's test runner can load it
// (tests/web/page_rules.test.mjs).
const khRules = (() => {
  // The largest whole scale, 1 at least and `maxScale` at most, at which windows of the given
  // [width, height] fit into an area of device pixels; one scale for all of them.
  function wholeScale(areaWidth, areaHeight, sizes, maxScale) {
    let s = maxScale;
    // No destructuring here: emscripten 3.1.6's JavaScript optimizer garbles it in a loop.
    for (const size of sizes) s = Math.min(s, Math.floor(areaWidth / size[0]), Math.floor(areaHeight / size[1]));
    return Math.max(1, s);
  }

  // Where a window of w x h pixels shows at `scale`, in CSS pixels: centred in the area on
  // whole device pixels, so every picture pixel is a sharp square.
  function place(areaWidth, areaHeight, w, h, scale, dpr) {
    const cw = w * scale, ch = h * scale;
    return {
      width: cw / dpr, height: ch / dpr,
      left: Math.max(0, Math.floor((areaWidth - cw) / 2)) / dpr, top: Math.max(0, Math.floor((areaHeight - ch) / 2)) / dpr,
    };
  }

  // F11 and Alt+Enter switch the full screen, whatever else is held.
  function isFullscreenKey(e) {
    return e.key === 'F11' || (e.key === 'Enter' && e.altKey);
  }

  // The character a key gives the game, 0 for none: what it types, or Enter, Escape and
  // Backspace. Keys with Ctrl or Meta are the browser's own shortcuts.
  function keyChar(e) {
    if (e.ctrlKey || e.metaKey) return 0;
    if ([...e.key].length === 1) return e.key.codePointAt(0);
    if (e.key === 'Enter') return 13;
    if (e.key === 'Escape') return 27;
    return e.key === 'Backspace' ? 8 : 0;
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

  // The best score as stored: bytes as pairs of hexadecimal digits, byte 0 first, as in
  // "Hi.wbh". No value or no bytes hold 0, a single byte is the low byte, two or more a
  // signed little-endian number. Null for a value of anything else.
  function decodeScore(value) {
    const v = value || '';
    if (v.length % 2 || /[^0-9a-f]/i.test(v)) return null;
    if (v.length === 0) return 0;
    const lo = parseInt(v.slice(0, 2), 16);
    if (v.length === 2) return lo;
    return (((parseInt(v.slice(2, 4), 16) << 8) | lo) << 16) >> 16;
  }

  // The value that stores `score` in place of the one held in `value`, whose later bytes stay.
  function encodeScore(score, value) {
    const hex = (b) => (b & 255).toString(16).padStart(2, '0');
    return hex(score) + hex(score >> 8) + (value || '').slice(4);
  }

  // How much faster a test asked the game's clock to run with `?speed=N`: 1 to 16, never slower.
  function clockRate(search) {
    const n = Math.floor(Number(new URLSearchParams(search).get('speed')));
    return n >= 1 ? Math.min(n, 16) : 1;
  }

  return Object.freeze({ wholeScale, place, isFullscreenKey, keyChar, modifiers, buttons, pointer, union,
    decodeScore, encodeScore, clockRate });
})();
if (typeof module === 'object' && module.exports) module.exports = khRules;

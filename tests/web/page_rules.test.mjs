// The page's sums and rules (platform/web/page_rules.js) under Node's own test runner:
//   node --test tests/web/page_rules.test.mjs
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { test } from 'node:test';

const rules = createRequire(import.meta.url)('../../platform/web/page_rules.js');

test('one whole scale fits every window, and each is centred on whole device pixels', () => {
  // 1000 x 700 device pixels: 320 x 200 fits 3 times across, 240 x 240 only twice down.
  assert.equal(rules.wholeScale(1000, 700, [[320, 200]], 8), 3);
  assert.equal(rules.wholeScale(1000, 700, [[320, 200], [240, 240]], 8), 2);
  assert.equal(rules.wholeScale(4000, 4000, [[100, 100]], 8), 8);
  assert.equal(rules.wholeScale(100, 100, [[320, 200]], 8), 1, 'too small still shows at scale 1');
  assert.equal(rules.wholeScale(1000, 700, [], 8), 8);
  // 1501 device pixels at a ratio of 1.5: 320 x 3 leaves 541, whose half is rounded down.
  assert.deepEqual(rules.place(1501, 750, 320, 200, 3, 1.5), { width: 640, height: 400, left: 180, top: 50 });
  assert.deepEqual(rules.place(100, 100, 320, 200, 1, 1), { width: 320, height: 200, left: 0, top: 0 });
});

test('keys: the full screen, the characters the game gets, and the browser\'s shortcuts', () => {
  assert.ok(rules.isFullscreenKey({ key: 'F11' }));
  assert.ok(rules.isFullscreenKey({ key: 'Enter', altKey: true }));
  assert.ok(!rules.isFullscreenKey({ key: 'Enter' }));
  const char = (key, mods = {}) => rules.keyChar({ key, ...mods });
  assert.equal(char('a'), 97);
  assert.equal(char('Ä', { shiftKey: true }), 0xc4);
  assert.equal(char('😀'), 0x1f600, 'one character beyond 16 bits');
  assert.deepEqual(['Enter', 'Escape', 'Backspace', ' '].map((k) => char(k)), [13, 27, 8, 32]);
  assert.deepEqual(['Shift', 'ArrowLeft', 'F5', 'constructor'].map((k) => char(k)), [0, 0, 0, 0]);
  assert.equal(char('a', { ctrlKey: true }), 0);
  assert.equal(char('r', { metaKey: true }), 0);
});

test('the pointer in device pixels of the enlarged window, its buttons and modifiers', () => {
  // A 100 x 50 canvas at scale 3, shown 150 x 75 CSS pixels large at (10, 20): 2 device pixels each.
  const rect = { left: 10, top: 20, right: 160, bottom: 95, width: 150, height: 75 };
  assert.deepEqual(rules.pointer(10, 20, rect, 100, 50, 3), { inside: true, x: 0, y: 0 });
  assert.deepEqual(rules.pointer(85.5, 57, rect, 100, 50, 3), { inside: true, x: 151, y: 74 });
  assert.equal(rules.pointer(160, 50, rect, 100, 50, 3).inside, false, 'the right edge is outside');
  assert.deepEqual(rules.pointer(0, 0, rect, 100, 50, 3), { inside: false, x: -20, y: -40 });
  assert.deepEqual([0, 1, 2, 3].map((button) => rules.buttons(false, { button })), [1, 4, 2, 0]);
  assert.equal(rules.buttons(true, { buttons: 1 | 2 | 8 }), 3, 'held while moving; back and forward are not');
  assert.equal(rules.modifiers({ shiftKey: true, altKey: true }), 5);
});

test('changed parts of a canvas join into the smallest rectangle holding them', () => {
  assert.deepEqual(rules.union(null, { x: 5, y: 6, w: 7, h: 8 }), { x: 5, y: 6, w: 7, h: 8 });
  assert.deepEqual(rules.union({ x: 10, y: 10, w: 5, h: 5 }, { x: 2, y: 12, w: 3, h: 20 }), { x: 2, y: 10, w: 13, h: 22 });
});

test('the best score as stored: little-endian hexadecimal bytes, later bytes kept', () => {
  assert.deepEqual([null, '', '14', '1400', 'ff7f', 'FFff', '0080', '2c01ab'].map(rules.decodeScore),
    [0, 0, 20, 20, 32767, -1, -32768, 300]);
  assert.deepEqual(['Hallo', 'abc', '1g', ' 14'].map(rules.decodeScore), [null, null, null, null]);
  assert.equal(rules.encodeScore(20, null), '1400');
  assert.equal(rules.encodeScore(-1, '14'), 'ffff');
  assert.equal(rules.encodeScore(300, '1400AbCd'), '2c01AbCd');
  assert.equal(rules.decodeScore(rules.encodeScore(-1234, '')), -1234);
});

test('a test may make the clock faster with ?speed=N, up to 16 times, never slower', () => {
  assert.deepEqual(['', '?speed=3', '?speed=2.7', '?speed=99', '?speed=0', '?speed=-2', '?speed=abc', '?x=1&speed=5']
    .map(rules.clockRate), [1, 3, 2, 16, 1, 1, 1, 5]);
});

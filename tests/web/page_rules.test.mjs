// The page's sums and rules (platform/web/page_rules.js) under Node's own test runner:
//   node --test tests/web/page_rules.test.mjs
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { test } from 'node:test';

const rules = createRequire(import.meta.url)('../../platform/web/page_rules.js');

test('each window is centred on whole device pixels', () => {
  // 1501 device pixels at a ratio of 1.5: 320 x 3 leaves 541, whose half is rounded down.
  assert.deepEqual(rules.place(1501, 750, 320, 200, 3, 1.5), { width: 640, height: 400, left: 180, top: 50, shrunk: false });
  // No whole scale fits a phone 320 pixels wide upright: the play window whole, 320 of its 421.
  assert.deepEqual(rules.place(320, 568, 421, 321, 1, 1), { width: 320, height: 243, left: 0, top: 162, shrunk: true });
});

test('turning the device is worth it for a whole step, or any gain where nothing whole fits', () => {
  const both = [[421, 321], [344, 185]];
  assert.equal(rules.turnGivesMore(320, 568, both), true);
  assert.equal(rules.turnGivesMore(568, 320, both), false);
  assert.equal(rules.turnGivesMore(1170, 2532, both), true, 'a phone upright: 2 -> 3');
  assert.equal(rules.turnGivesMore(2532, 1170, both), false);
  assert.equal(rules.turnGivesMore(1000, 1100, both), false, 'nearly square: 2 either way');
});

test('pointer kinds: the mouse as mouse events, a finger or a pen as pointer events', () => {
  assert.deepEqual([{}, { pointerType: 'mouse' }, { pointerType: 'touch' }, { pointerType: 'pen' }].map(rules.pointerKind),
    [0, -1, 1, 2]);
  assert.equal(rules.pointerKind({ sourceCapabilities: { firesTouchEvents: true } }), -1, 'made up from a finger');
});

test('keys: the full screen, the characters the game gets, and the browser\'s shortcuts', () => {
  assert.ok(rules.isFullscreenKey({ key: 'F11' }));
  assert.ok(rules.isFullscreenKey({ key: 'Enter', altKey: true }));
  assert.ok(!rules.isFullscreenKey({ key: 'Enter' }));
  const input = (key, mods = {}) => rules.keyInput({ key, ...mods });
  assert.deepEqual(input('a'), { text: 97 });
  assert.deepEqual(input('Ä', { shiftKey: true }), { text: 0xc4 });
  assert.deepEqual(input('😀'), { text: 0x1f600 }, 'one character beyond 16 bits');
  assert.deepEqual(input(' '), { text: 32 });
  // Named as WebInput.cpp reads them: F11 1, Enter 2, Escape 3, Backspace 4.
  assert.deepEqual(['F11', 'Enter', 'Escape', 'Backspace'].map((k) => input(k)), [1, 2, 3, 4].map((key) => ({ key })));
  assert.deepEqual(input('F11', { ctrlKey: true }), { key: 1 }, 'the full screen\'s keys whatever is held');
  assert.deepEqual(input('Enter', { altKey: true, ctrlKey: true }), { key: 2 });
  assert.deepEqual(['Shift', 'ArrowLeft', 'F5', 'constructor'].map((k) => input(k)), [null, null, null, null]);
  assert.equal(input('a', { ctrlKey: true }), null);
  assert.equal(input('r', { metaKey: true }), null);
  assert.equal(input('Enter', { ctrlKey: true }), null);
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

test('the best score as stored: hexadecimal bytes, byte 0 first, later bytes kept', () => {
  assert.deepEqual([null, '', '14', '1400', 'ff7f', 'FFff', '2c01ab'].map(rules.storedBytes),
    [[], [], [0x14], [0x14, 0], [0xff, 0x7f], [0xff, 0xff], [0x2c, 0x01, 0xab]]);
  assert.deepEqual(['Hallo', 'abc', '1g', ' 14'].map(rules.storedBytes), [null, null, null, null]);
  assert.equal(rules.storeBytes(0x14, 0, null), '1400');
  assert.equal(rules.storeBytes(0xff, 0xff, '14'), 'ffff');
  assert.equal(rules.storeBytes(0x2c, 0x01, '1400AbCd'), '2c01AbCd');
  assert.deepEqual(rules.storedBytes(rules.storeBytes(0x2e, 0xfb, '')), [0x2e, 0xfb]);
});

test('a test may make the clock faster with ?speed=N, up to 16 times, never slower', () => {
  assert.deepEqual(['', '?speed=3', '?speed=2.7', '?speed=99', '?speed=0', '?speed=-2', '?speed=abc', '?x=1&speed=5']
    .map(rules.clockRate), [1, 3, 2, 16, 1, 1, 1, 5]);
});

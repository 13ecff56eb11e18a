// The key maps of the wall and the viewer.
import test from 'node:test';
import assert from 'node:assert/strict';
import { mirroredKey, viewerAction, viewerTarget, wallAction } from '../../../platform/player/src/keys.js';

test('the viewer steps with arrows, pages and Space, and jumps with Home and End', () => {
  const cases = { ArrowLeft: 3, PageUp: 3, ArrowRight: 5, PageDown: 5, ' ': 5, Home: 0, End: 9,
    ArrowUp: null, Enter: null, a: null, toString: null, constructor: null };
  for (const [key, expected] of Object.entries(cases)) {
    assert.equal(viewerTarget(key, 4, 10), expected, key);
  }
});

test('on the wall arrows and pages move the current slide, Home and End go to the ends', () => {
  const wall = { cursor: 7, reach: 2, count: 60 };
  const tile = { tag: 'DIV', onTile: true };
  const cases = {
    ArrowRight: { column: 8 }, ArrowLeft: { column: 6 }, ArrowUp: { row: -1 }, ArrowDown: { row: 1 },
    PageDown: { column: 12 }, PageUp: { column: 2 }, Home: { index: 0 }, End: { index: 59 },
    Escape: null, Tab: null, x: null, hasOwnProperty: null
  };
  for (const [key, expected] of Object.entries(cases)) {
    assert.deepEqual(wallAction(key, wall, tile), expected, key);
  }
});

test('Enter opens the current slide except on a control; Space only on a tile', () => {
  const wall = { cursor: 0, reach: 1, count: 5 };
  const on = (tag, onTile) => ({ tag, onTile });
  assert.deepEqual(wallAction('Enter', wall, on('DIV', true)), { open: true });
  assert.deepEqual(wallAction('Enter', wall, on('BODY', false)), { open: true });
  for (const control of ['BUTTON', 'A', 'INPUT']) {
    assert.equal(wallAction('Enter', wall, on(control, false)), null, control);
  }
  assert.deepEqual(wallAction(' ', wall, on('DIV', true)), { open: true });
  assert.equal(wallAction(' ', wall, on('BODY', false)), null);
});

test('in the viewer + - 0 zoom; arrows pan a zoomed slide; a right-to-left book swaps left and right', () => {
  const viewer = (zoomed, rtl) => ({ index: 4, count: 10, zoomed, rtl });
  const cases = [
    ['+', viewer(false, false), { zoom: 1 }], ['=', viewer(true, false), { zoom: 1 }],
    ['-', viewer(true, false), { zoom: -1 }], ['0', viewer(true, false), { reset: true }],
    ['ArrowRight', viewer(false, false), { index: 5 }], ['ArrowRight', viewer(false, true), { index: 3 }],
    ['ArrowLeft', viewer(false, true), { index: 5 }], ['PageDown', viewer(false, true), { index: 5 }],
    ['ArrowRight', viewer(true, false), { pan: [-0.15, 0] }], ['ArrowUp', viewer(true, true), { pan: [0, 0.15] }],
    ['ArrowLeft', viewer(true, true), { pan: [0.15, 0] }], ['End', viewer(true, false), { index: 9 }],
    ['a', viewer(true, false), null], ['ArrowUp', viewer(false, false), null]
  ];
  for (const [key, state, expected] of cases) {
    assert.deepEqual(viewerAction(key, state), expected, `${key} ${JSON.stringify(state)}`);
  }
  assert.equal(mirroredKey('ArrowLeft', true), 'ArrowRight');
  assert.equal(mirroredKey('ArrowUp', true), 'ArrowUp');
  assert.equal(mirroredKey('ArrowLeft', false), 'ArrowLeft');
});

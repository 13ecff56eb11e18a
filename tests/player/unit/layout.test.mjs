// The wall's arithmetic: rows, tile sizes, the arc's projection and how far the view reaches, the
// wall's start and end, and how drags and wheels turn it.
import test from 'node:test';
import assert from 'node:assert/strict';
import {
  arcFor, firstPosition, lastPosition, projectedX, releaseVelocity, resisted, rowsFor, tileSize, viewReach,
  wheelPixels
} from '../../../platform/player/src/layout.js';

const VIEWS = [{ width: 855, height: 532 }, { width: 1600, height: 900 }, { width: 390, height: 844 },
  { width: 2560, height: 1440 }];

test('one row up to three slides, two up to eight, three beyond', () => {
  assert.deepEqual([1, 3, 4, 8, 9, 500].map(rowsFor), [1, 1, 2, 2, 3, 3]);
});

test('tiles keep the slides\' shape and a short wall fits the view with room at its sides', () => {
  for (const view of VIEWS) {
    for (const aspect of [4 / 3, 16 / 9, 0.75]) {
      for (const [rows, columns] of [[1, 3], [2, 4], [3, 40]]) {
        const tile = tileSize(view, rows, columns, aspect);
        assert.ok(tile.height >= 36, `${view.width}: at least 36 px high`);
        assert.ok(Math.abs(tile.width - tile.height * aspect) <= 1, 'the slides\' shape');
        const arc = arcFor(view.width, tile);
        assert.ok(rows * tile.height + (rows - 1) * arc.gap < view.height, 'the rows fit the height');
        if (columns <= 4 && view.width >= 600) {
          assert.ok(columns * arc.pitch <= view.width * 0.84 + 1, 'a short wall shows whole');
        }
      }
    }
  }
});

test('on a phone the tiles are large: few columns in view', () => {
  const phone = viewReach(arcFor(390, tileSize(VIEWS[2], 3, 100, 4 / 3)), 390);
  const desk = viewReach(arcFor(1600, tileSize(VIEWS[1], 3, 100, 4 / 3)), 1600);
  assert.equal(phone.reach, 0, 'only the centre column shows whole');
  assert.ok(desk.reach >= 2, 'a wide view shows whole columns either side');
});

test('the columns the view reaches show whole, the next one does not, and the wall starts inside the left edge', () => {
  for (const view of VIEWS) {
    const arc = arcFor(view.width, tileSize(view, 3, 100, 4 / 3));
    const { reach, span, lead } = viewReach(arc, view.width);
    const half = view.width / 2;
    assert.ok(projectedX(arc, reach + 0.5) <= half - 8, 'the reached column ends inside the view');
    assert.ok(projectedX(arc, reach + 1.5) > half - 8, 'the next one does not');
    assert.ok(projectedX(arc, span - 1.5) > half, 'columns beyond the span are off screen');
    const margin = Math.max(16, view.width * 0.03);
    assert.ok(Math.abs(projectedX(arc, lead + 0.5) - (half - margin)) < 0.5, 'the first column at the margin');
    assert.ok(projectedX(arc, -3) < 0 && projectedX(arc, 3) > 0 && projectedX(arc, 0) === 0);
  }
});

test('a short wall stands centred, a long one runs from its lead to its last column', () => {
  assert.deepEqual([firstPosition(2.4, 3), lastPosition(2.4, 3)], [1, 1]);
  assert.deepEqual([firstPosition(2.4, 40), lastPosition(2.4, 40)], [2.4, 36.6]);
  assert.deepEqual([firstPosition(0.2, 1), lastPosition(0.2, 1)], [0, 0]);
});

test('a drag past either end gives way at 0.3 of the pointer', () => {
  assert.equal(resisted(5, 0, 10), 5);
  assert.ok(Math.abs(resisted(-1, 0, 10) - -0.3) < 1e-9);
  assert.ok(Math.abs(resisted(12, 0, 10) - 10.6) < 1e-9);
});

test('a flick keeps its speed up to a limit; a pointer that rested lets the wall stop', () => {
  const samples = [{ t: 0, p: 0 }, { t: 50, p: 1 }];
  assert.equal(releaseVelocity(samples, 60), 0.02);
  assert.equal(releaseVelocity(samples, 200), 0, 'rested for 150 ms');
  assert.equal(releaseVelocity([{ t: 0, p: 0 }, { t: 10, p: -5 }], 10), -0.08);
  assert.equal(releaseVelocity([{ t: 5, p: 0 }], 5), 0, 'one sample: no speed');
});

test('a wheel turns by its larger axis, in pixels, lines or pages', () => {
  assert.equal(wheelPixels({ deltaMode: 0, deltaX: 0, deltaY: 100 }, 800), 100);
  assert.equal(wheelPixels({ deltaMode: 0, deltaX: -120, deltaY: 30 }, 800), -120);
  assert.equal(wheelPixels({ deltaMode: 1, deltaX: 0, deltaY: 3 }, 800), 96);
  assert.equal(wheelPixels({ deltaMode: 2, deltaX: 0, deltaY: -1 }, 800), -800);
});

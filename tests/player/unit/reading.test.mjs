// The pure parts of reading a book: the slide fragment, the resume store's key and value, the
// slideshow's interval, and the zoom's arithmetic.
import test from 'node:test';
import assert from 'node:assert/strict';
import { bookAddress, fragmentFor, resumeKey, resumeSlide, slideFromFragment } from '../../../platform/player/src/links.js';
import { autoplaySeconds } from '../../../platform/player/src/autoplay.js';
import { fitted, pannedBy, toggled, zoomedAt } from '../../../platform/player/src/zoom.js';

test('#slide=N opens slide N of the book; anything else opens none', () => {
  const cases = { '#slide=1': 0, '#slide=40': 39, 'slide=7': 6, '#slide=41': -1, '#slide=0': -1,
    '#slide=-3': -1, '#slide=01': -1, '#slide=2x': -1, '#slide=': -1, '#slide=1e3': -1, '#Slide=2': -1,
    '#other': -1, '': -1, '#slide=99999999999': -1 };
  for (const [fragment, expected] of Object.entries(cases)) {
    assert.equal(slideFromFragment(fragment, 40), expected, fragment);
  }
  assert.equal(slideFromFragment(undefined, 40), -1);
  assert.equal(slideFromFragment(fragmentFor(11), 40), 11);
});

test('the book is its address without the fragment, and keeps its own resume entry', () => {
  assert.equal(bookAddress('file:///w/index.html#slide=3'), 'file:///w/index.html');
  assert.equal(bookAddress('http://h/b/?x=1'), 'http://h/b/?x=1');
  assert.equal(resumeKey('http://h/a/index.html#slide=2'), resumeKey('http://h/a/index.html'));
  assert.notEqual(resumeKey('http://h/a/index.html'), resumeKey('http://h/b/index.html'));
  const stored = { '12': 12, '0': -1, '40': -1, '39': 39, '-1': -1, 'x': -1, '': -1, 'null': -1, '3.5': -1 };
  for (const [value, expected] of Object.entries(stored)) {
    assert.equal(resumeSlide(value, 40), expected, value);
  }
  assert.equal(resumeSlide(null, 40), -1);
});

test('autoplay takes a positive number of seconds, within limits; anything else is off', () => {
  const cases = { '5': 5, ' 12 ': 12, '0.5': 0.5, '0.01': 0.25, '999999': 3600, '0': null, 'off': null,
    '': null, '-3': null, '5s': null, '1e2': null, 'NaN': null };
  for (const [value, expected] of Object.entries(cases)) {
    assert.equal(autoplaySeconds(value), expected, value);
  }
  assert.equal(autoplaySeconds(undefined), null);
});

test('zoom keeps the point under the pointer, stays between 1x and 4x and covers its frame', () => {
  const size = { width: 800, height: 600 };
  const one = { scale: 1, x: 0, y: 0 };
  assert.deepEqual(zoomedAt(one, 2, { x: 400, y: 300 }, size), { scale: 2, x: -400, y: -300 });
  assert.deepEqual(zoomedAt(one, 2, { x: 0, y: 0 }, size), { scale: 2, x: 0, y: 0 });
  const corner = zoomedAt(one, 3, { x: 800, y: 600 }, size);
  assert.deepEqual(corner, { scale: 3, x: -1600, y: -1200 });
  assert.equal(zoomedAt(one, 9, { x: 10, y: 10 }, size).scale, 4);
  assert.deepEqual(zoomedAt({ scale: 2, x: -400, y: -300 }, 0.5, { x: 100, y: 100 }, size), one);
  assert.deepEqual(pannedBy({ scale: 2, x: -400, y: -300 }, 1000, -1000, size), { scale: 2, x: 0, y: -600 });
  assert.deepEqual(pannedBy(one, 50, 50, size), one, 'the whole slide does not move');
  assert.deepEqual(fitted({ scale: 2, x: 5, y: -9000 }, size), { scale: 2, x: 0, y: -600 });
  assert.deepEqual(toggled(one, { x: 400, y: 300 }, size), { scale: 2, x: -400, y: -300 });
  assert.deepEqual(toggled({ scale: 3.2, x: -10, y: -10 }, { x: 1, y: 1 }, size), one);
});

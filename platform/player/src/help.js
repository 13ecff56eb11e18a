// The list of keys and gestures, opened with ? (and a button on phones).

import { el } from './dom.js';

// [keys, what they do]; rtl names the arrows the way a right-to-left wall uses them.
function entries(rtl, fullScreen) {
  var back = rtl ? '\u2192' : '\u2190';
  var on = rtl ? '\u2190' : '\u2192';
  var list = [
    [back + ' ' + on, 'Previous or next column; in the viewer, the previous or next slide'],
    ['\u2191 \u2193', 'The slide above or below'],
    ['Page Up, Page Down', 'A view of columns back or on'],
    ['Home, End', 'The first or last slide'],
    ['Enter', 'Open the current slide'],
    ['+ \u2212 0', 'Zoom in, zoom out, whole slide (in the viewer; arrows then pan)'],
    ['Escape', 'Whole slide, then back to the wall'],
    ['?', 'This list']
  ];
  if (fullScreen) {
    list.splice(7, 0, ['F', 'Full screen']);
  }
  return list.concat([
    ['Drag, swipe', 'Browse the wall; in the viewer, the next or previous slide'],
    ['Click, tap', 'Open a slide'],
    ['Pinch, Ctrl + wheel', 'Zoom the slide in the viewer'],
    ['Double-click, double-tap', 'Zoom to 2\u00d7 and back']
  ]);
}

export function fillHelp(panel, rtl, fullScreen) {
  var title = el('h2', '', panel.body);
  title.textContent = 'Keys and gestures';
  var list = el('dl', 'mw-keys', panel.body);
  entries(rtl, fullScreen).forEach(function (entry) {
    el('dt', '', list).textContent = entry[0];
    el('dd', '', list).textContent = entry[1];
  });
}

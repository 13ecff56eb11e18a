// Below the wall: the slide counter, the position track and the first-use hint; the empty stage.

import { el, icon } from './dom.js';
import { clamp, isPhoneWidth } from './layout.js';

var HINT_MS = 6000;

// control: a button that goes first in the footer.
export function buildFooter(root, control) {
  var footer = el('div', 'mw-footer', root);
  footer.setAttribute('role', 'contentinfo');
  footer.appendChild(control);
  var counter = el('span', 'mw-counter', footer);
  counter.setAttribute('role', 'status');
  var track = el('div', 'mw-track', footer);
  var fill = el('i', '', track);
  var hint = el('span', 'mw-hint', footer);
  hint.textContent = usesTouch() ? 'Swipe to browse \u00b7 tap a slide to open it'
    : 'Drag, scroll or use the arrow keys \u00b7 click a slide to open it';
  var dismiss = function () {
    hint.classList.add('mw-gone');
    root.removeEventListener('pointerdown', dismiss, true);
    document.removeEventListener('keydown', dismiss, true);
  };
  setTimeout(dismiss, HINT_MS);
  root.addEventListener('pointerdown', dismiss, true);
  document.addEventListener('keydown', dismiss, true);
  return function (index, count, progress) {
    var text = (index + 1) + ' / ' + count;
    if (counter.textContent !== text) {
      counter.textContent = text;
    }
    if (progress !== null) {
      // Scaled, not sized: the track follows the turning wall without a layout on every frame.
      fill.style.transform = 'scaleX(' + clamp(progress, 0, 1).toFixed(4) + ')';
    }
  };
}

function usesTouch() {
  return isPhoneWidth(window.innerWidth) || !!(window.matchMedia && window.matchMedia('(pointer: coarse)').matches);
}

// A wall without slides says so; one whose index could not be read says that instead.
export function buildEmpty(stage, unreadable) {
  var empty = el('div', 'mw-empty', stage);
  var svg = icon('empty');
  svg.setAttribute('fill', 'none');
  svg.setAttribute('stroke', 'currentColor');
  svg.setAttribute('stroke-width', '1.4');
  empty.appendChild(svg);
  empty.setAttribute('role', 'status');
  empty.appendChild(document.createTextNode(unreadable
    ? 'The slide index (xml/images.xml) could not be read.' : 'This wall has no slides yet.'));
}

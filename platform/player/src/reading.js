// Where the reader is: the address names the slide in the viewer (#slide=N), and the browser
// remembers the last slide viewed in each book, to offer to continue there. Nothing leaves the
// browser.

import { el } from './dom.js';
import { bookAddress, fragmentFor, resumeKey, resumeSlide, slideFromFragment } from './links.js';

var OFFER_MS = 8000;

// Local storage, where the page may use it (a sandboxed frame or a strict browser may refuse).
function storage() {
  try {
    return window.localStorage || null;
  } catch {
    return null;
  }
}

function remember(index) {
  var store = storage();
  try {
    if (store) {
      store.setItem(resumeKey(location.href), String(index));
    }
  } catch { /* full or refused: the book just starts at the wall next time */ }
}

function recall(count) {
  var store = storage();
  try {
    return store ? resumeSlide(store.getItem(resumeKey(location.href)), count) : -1;
  } catch {
    return -1;
  }
}

// Replacing the entry, not adding one: Back leaves the book instead of walking every slide.
function setAddress(url) {
  try {
    history.replaceState(history.state, '', url);
  } catch { /* a page the browser will not let rename itself keeps its address */ }
}

// The slide the address opens, or -1.
export function linkedSlide(count) {
  return slideFromFragment(location.hash, count);
}

// What the viewer tells the address and the store.
export var readingHooks = {
  shown: function (index) {
    if (location.hash !== fragmentFor(index)) {
      setAddress(fragmentFor(index));
    }
    remember(index);
  },
  closed: function () {
    if (location.hash) {
      setAddress(bookAddress(location.href));
    }
  }
};

// A fragment typed into the address bar (or followed from a link in the page) opens its slide.
export function followFragment(count, open) {
  window.addEventListener('hashchange', function () {
    var index = linkedSlide(count);
    if (index >= 0) {
      open(index);
    }
  });
}

// "Continue at slide N" for a book opened again without a slide in its address; it goes after a
// few seconds or at the reader's first other action.
export function offerResume(root, count, open) {
  var index = recall(count);
  if (index < 0) {
    return null;
  }
  var offer = el('button', 'mw-resume', root);
  offer.type = 'button';
  offer.textContent = 'Continue at slide ' + (index + 1);
  var timer = 0;
  var withdraw = function (event) {
    // Tab and Shift only move towards it.
    if (event && (offer.contains(event.target) || event.key === 'Tab' || event.key === 'Shift')) {
      return;
    }
    clearTimeout(timer);
    offer.remove();
    root.removeEventListener('pointerdown', withdraw, true);
    document.removeEventListener('keydown', withdraw, true);
  };
  offer.addEventListener('click', function () {
    withdraw();
    open(index);
  });
  timer = setTimeout(withdraw, OFFER_MS);
  root.addEventListener('pointerdown', withdraw, true);
  document.addEventListener('keydown', withdraw, true);
  return offer;
}

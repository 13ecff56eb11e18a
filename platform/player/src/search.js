// Search in the top bar: a field that lists the slides holding every word typed, with a piece of
// their text, as the reader types. Enter or a click opens a slide in the viewer; Escape closes.

import { Panel } from './chrome.js';
import { el, iconButton } from './dom.js';
import { SearchIndex } from './search_index.js';

// More results than this are counted but not listed: typing on narrows them. A keystroke lists the
// first few at once (more than the panel shows) and the rest in later tasks, a batch at a time.
var MAX_LISTED = 50;
var LISTED_AT_ONCE = 12;
var LISTED_LATER = 25;

function statusText(found, query) {
  if (!query.trim()) {
    return '';
  }
  if (!found) {
    return 'No slide matches.';
  }
  var count = found === 1 ? '1 slide matches' : found + ' slides match';
  return found > MAX_LISTED ? count + '; the first ' + MAX_LISTED + ' are listed.' : count + '.';
}

function resultButton(list, index, title, snippet, language) {
  var button = el('button', 'mw-result', el('li', '', list));
  button.type = 'button';
  button.dataset.index = String(index);
  var head = el('span', 'mw-result-title', button);
  el('span', 'mw-result-number', head).textContent = String(index + 1);
  var name = el('span', '', head);
  name.textContent = title;
  name.dir = 'auto';
  var text = el('span', 'mw-snippet', button);
  text.dir = 'auto';
  text.lang = language;
  if (snippet.before) {
    text.appendChild(document.createTextNode('\u2026 '));
  }
  snippet.pieces.forEach(function (piece) {
    text.appendChild(piece.mark ? el('mark') : document.createTextNode(''));
    text.lastChild.textContent = piece.text;
  });
  if (snippet.after) {
    text.appendChild(document.createTextNode(' \u2026'));
  }
}

// The search panel and its button, first in the top bar. words: what parseWords returns;
// openSlide(index) opens a slide in the viewer.
export function Search(root, chrome, words, openSlide) {
  var self = this;
  this.words = words;
  this.openSlide = openSlide;
  this.index = null;
  this.listing = 0;
  this.panel = new Panel(root, 'search', 'Search');
  this.field = el('input', 'mw-search-field', this.panel.body);
  Object.assign(this.field, { type: 'search', placeholder: 'Search the slides', autocomplete: 'off',
    spellcheck: false, enterKeyHint: 'search' });
  this.field.setAttribute('aria-label', 'Search the slides');
  this.field.setAttribute('aria-controls', 'mw-search-results');
  this.field.lang = words.language;
  this.field.dir = 'auto';
  this.status = el('p', 'mw-search-status', this.panel.body);
  this.status.setAttribute('role', 'status');
  this.list = el('ol', 'mw-results', this.panel.body);
  this.list.id = 'mw-search-results';
  this.list.setAttribute('aria-label', 'Matching slides');
  this.button = iconButton('search', 'Search', 'mw-search-button');
  chrome.buttons.insertBefore(this.button, chrome.buttons.firstChild);
  this.panel.attachButton(this.button);
  chrome.panels.push(this.panel);
  this.panel.siblings = chrome.panels;
  this.button.addEventListener('click', function () { self.toggle(); });
  this.field.addEventListener('input', function () { self.update(); });
  this.listenToKeys();
  this.panel.body.addEventListener('click', function (event) {
    var result = event.target.closest('.mw-result');
    if (result) {
      self.open(Number(result.dataset.index));
    }
  });
}

Search.prototype.toggle = function () {
  this.panel.toggle();
  if (this.panel.isOpen()) {
    // Folded once, when the reader first searches.
    this.index = this.index || new SearchIndex(this.words.slides);
    this.field.focus({ preventScroll: true });
    this.field.select();
  }
};

// The answer to what the field holds: the matching slides listed, the count told.
Search.prototype.update = function () {
  var query = this.field.value;
  var all = this.index.find(query);
  var found = all.slice(0, MAX_LISTED);
  clearTimeout(this.listing);
  // A new list in the old one's place: one subtree leaves the page instead of every result.
  var list = this.list.cloneNode(false);
  this.list.replaceWith(list);
  this.list = list;
  this.listFrom(found, 0, LISTED_AT_ONCE, query);
  this.status.textContent = statusText(all.length, query);
};

Search.prototype.listFrom = function (found, from, count, query) {
  var self = this;
  var list = document.createDocumentFragment();
  found.slice(from, from + count).forEach(function (index) {
    resultButton(list, index, this.words.slides[index].title, this.index.snippet(index, query), this.words.language);
  }, this);
  this.list.appendChild(list);
  if (from + count < found.length) {
    this.listing = setTimeout(function () { self.listFrom(found, from + count, LISTED_LATER, query); }, 0);
  }
};

Search.prototype.open = function (index) {
  this.panel.close();
  this.openSlide(index);
};

// Enter opens the first slide listed, the arrows walk the list; the wall's keys stay out of the
// panel (Escape still closes it).
Search.prototype.listenToKeys = function () {
  var self = this;
  this.panel.element.addEventListener('keydown', function (event) {
    var results = Array.prototype.slice.call(self.list.querySelectorAll('.mw-result'));
    var at = results.indexOf(document.activeElement);
    var step = { ArrowDown: 1, ArrowUp: -1 }[event.key];
    if (event.key === 'Enter' && event.target === self.field && results.length) {
      event.preventDefault();
      self.open(Number(results[0].dataset.index));
    } else if (step && results.length) {
      event.preventDefault();
      var next = at + step;
      (next < 0 ? self.field : results[Math.min(next, results.length - 1)]).focus();
    }
    if (event.key !== 'Escape' && event.key !== 'Tab') {
      event.stopPropagation();
    }
  });
};

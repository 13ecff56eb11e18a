// The deck's words in the slide viewer: the slide's title as the picture's text alternative and in
// the counter, its text for screen readers, its links as real links over the picture, and its
// speaker notes behind a Notes button where the book has any. Words reach the page as text only.

import { el, iconButton } from './dom.js';
import { isStandInTitle } from './words.js';

function percent(fraction) {
  return (fraction * 100).toFixed(3) + '%';
}

// words: what parseWords returns; jump(index) shows another slide.
export function ViewerWords(lightbox, words, jump) {
  this.lightbox = lightbox;
  this.words = words;
  this.jump = jump;
  var figure = lightbox.frame.parentNode;
  this.text = el('div', 'mw-slide-text mw-hidden-text', figure);
  this.text.lang = words.language;
  this.links = el('div', 'mw-links', lightbox.frame);
  lightbox.zoom.layers.push(this.links);
  // A swipe that began and ended on a link stepped the viewer: it follows no link.
  this.links.addEventListener('click', function (event) {
    if (lightbox.gesture.swiped) {
      event.preventDefault();
      event.stopPropagation();
    }
  }, true);
  this.notes = words.hasNotes ? this.buildNotes() : null;
}

ViewerWords.prototype.buildNotes = function () {
  var lightbox = this.lightbox;
  var button = iconButton('notes', 'Speaker notes', 'mw-notes-button');
  var box = el('aside', 'mw-notes', lightbox.element);
  box.id = 'mw-notes';
  box.hidden = true;
  box.setAttribute('aria-label', 'Speaker notes');
  var body = el('div', '', box);
  body.lang = this.words.language;
  body.dir = 'auto';
  button.setAttribute('aria-controls', box.id);
  button.setAttribute('aria-expanded', 'false');
  button.addEventListener('click', function () {
    box.hidden = !box.hidden;
    button.setAttribute('aria-expanded', String(!box.hidden));
  });
  lightbox.element.appendChild(button);
  return { button: button, box: box, body: body };
};

// Called for every slide the viewer shows.
ViewerWords.prototype.show = function (index) {
  var slide = this.words.slides[index];
  this.lightbox.image.alt = slide.title;
  if (!isStandInTitle(slide.title)) {
    el('span', 'mw-hidden-text', this.lightbox.caption).textContent = ': ' + slide.title;
  }
  this.fillText(slide);
  this.fillLinks(slide);
  if (this.notes) {
    this.notes.body.textContent = slide.notes || 'No notes for this slide.';
    this.notes.body.classList.toggle('mw-muted', !slide.notes);
  }
};

// The slide's words for screen readers: its title, its paragraphs and its pictures' descriptions.
ViewerWords.prototype.fillText = function (slide) {
  var text = this.text;
  text.textContent = '';
  var title = el('h2', '', text);
  title.textContent = slide.title;
  title.dir = 'auto';
  slide.text.split('\n').concat(slide.alt.map(function (alt) { return 'Picture: ' + alt; }))
    .filter(function (line) { return line.trim(); }).forEach(function (line) {
      var paragraph = el('p', '', text);
      paragraph.textContent = line;
      paragraph.dir = 'auto';
    });
};

ViewerWords.prototype.fillLinks = function (slide) {
  var self = this;
  var layer = this.links;
  layer.textContent = '';
  slide.links.forEach(function (link) {
    var anchor = el('a', 'mw-link', layer);
    // Dragging a link would carry it away instead of swiping.
    anchor.draggable = false;
    Object.assign(anchor.style, { left: percent(link.x), top: percent(link.y), width: percent(link.w),
      height: percent(link.h) });
    var label;
    if (link.url) {
      anchor.href = link.url;
      anchor.rel = 'noopener';
      if (!/^mailto:/.test(link.url)) {
        anchor.target = '_blank';
      }
      label = link.url.replace(/^mailto:/, 'Mail ');
    } else {
      anchor.href = '#slide=' + (link.slide + 1);
      label = 'Go to slide ' + (link.slide + 1) + ': ' + self.words.slides[link.slide].title;
      anchor.addEventListener('click', function (event) {
        event.preventDefault();
        self.jump(link.slide);
      });
    }
    anchor.title = label;
    anchor.setAttribute('aria-label', label);
  });
};

// The slide viewer: one slide large, with previous and next. A modal dialog: while it is open the
// rest of the page is inert, it holds the focus, and hands it back to the wall when it closes.

import { el, iconButton } from './dom.js';
import { isOldThumbnail } from './wall.js';

export function Lightbox(root, slides, onClose, wallAspect) {
  var self = this;
  this.root = root;
  this.slides = slides;
  this.onClose = onClose;
  this.wallAspect = wallAspect;
  this.index = -1;
  this.madeInert = [];
  this.element = el('div', 'mw-lightbox', root);
  this.element.setAttribute('role', 'dialog');
  this.element.setAttribute('aria-modal', 'true');
  this.element.setAttribute('aria-label', 'Slide viewer');
  this.element.inert = true;
  var figure = el('figure', '', this.element);
  this.frame = el('div', 'mw-slide', figure);
  this.image = el('img', '', this.frame);
  this.image.alt = '';
  this.image.draggable = false;
  this.missing = el('p', 'mw-missing', this.frame);
  this.caption = el('figcaption', '', figure);
  this.caption.setAttribute('aria-live', 'polite');
  this.caption.setAttribute('aria-atomic', 'true');
  this.prev = iconButton('prev', 'Previous slide', 'mw-nav mw-prev');
  this.next = iconButton('next', 'Next slide', 'mw-nav mw-next');
  this.dismiss = iconButton('close', 'Back to the wall', 'mw-dismiss');
  this.element.appendChild(this.prev);
  this.element.appendChild(this.next);
  this.element.appendChild(this.dismiss);
  this.prev.addEventListener('click', function () { self.show(self.index - 1); });
  this.next.addEventListener('click', function () { self.show(self.index + 1); });
  this.dismiss.addEventListener('click', function () { self.close(); });
  this.listenToPointer();
  this.image.addEventListener('load', function () { self.fitLoaded(); });
  this.image.addEventListener('error', function () { self.fallBack(); });
}

// A swipe steps through the slides; a click beside the slide closes. Only a press that began on
// the open viewer counts: the tap that opened it must not close it again with its own click.
Lightbox.prototype.listenToPointer = function () {
  var self = this;
  var swipe = null;
  var pressedBeside = false;
  this.element.addEventListener('pointerdown', function (event) {
    swipe = { x: event.clientX, id: event.pointerId };
    pressedBeside = event.target === self.element;
  });
  this.element.addEventListener('pointerup', function (event) {
    if (swipe && swipe.id === event.pointerId && Math.abs(event.clientX - swipe.x) > 50) {
      pressedBeside = false;
      self.show(self.index + (event.clientX < swipe.x ? 1 : -1));
    }
    swipe = null;
  });
  this.element.addEventListener('click', function (event) {
    if (event.target === self.element && pressedBeside) {
      self.close();
    }
    pressedBeside = false;
  });
};

Lightbox.prototype.isOpen = function () {
  return this.index >= 0;
};

Lightbox.prototype.fitTo = function (aspect) {
  this.frame.style.setProperty('--slide-aspect', aspect.toFixed(4));
};

// A slide takes the shape of its own picture; an old-style 180 x 135 thumbnail standing in for a
// missing slide keeps the wall's shape.
Lightbox.prototype.fitLoaded = function () {
  var img = this.image;
  var slide = this.slides[this.index];
  var oldThumb = slide && img.getAttribute('src') === slide.thumb && isOldThumbnail(img);
  if (img.naturalWidth && img.naturalHeight && !oldThumb) {
    this.fitTo(img.naturalWidth / img.naturalHeight);
  }
  this.frame.classList.remove('mw-unavailable');
};

// A slide whose image is missing shows its thumbnail at full size; with both missing, a notice.
Lightbox.prototype.fallBack = function () {
  var slide = this.slides[this.index];
  if (!slide) {
    return;
  }
  if (this.image.getAttribute('src') === slide.image) {
    this.image.src = slide.thumb;
    return;
  }
  this.frame.classList.add('mw-unavailable');
  this.missing.textContent = 'Slide ' + (this.index + 1) + ' could not be loaded.';
};

Lightbox.prototype.show = function (index) {
  if (index < 0 || index >= this.slides.length) {
    return;
  }
  var opening = !this.isOpen();
  this.index = index;
  // Until its own picture has loaded, a slide takes the shape of the wall's slides.
  this.fitTo(this.wallAspect());
  this.frame.classList.remove('mw-unavailable');
  this.image.alt = 'Slide ' + (index + 1);
  this.image.src = this.slides[index].image;
  this.image.dataset.index = String(index);
  this.caption.textContent = (index + 1) + ' / ' + this.slides.length;
  this.prev.disabled = index === 0;
  this.next.disabled = index === this.slides.length - 1;
  if (opening) {
    this.open();
  }
  [index - 1, index + 1].forEach(function (near) {
    if (near >= 0 && near < this.slides.length) {
      new Image().src = this.slides[near].image;
    }
  }, this);
};

Lightbox.prototype.open = function () {
  var element = this.element;
  this.madeInert = Array.prototype.filter.call(this.root.children, function (child) {
    return child !== element && !child.inert;
  });
  this.madeInert.forEach(function (child) { child.inert = true; });
  element.inert = false;
  element.classList.add('mw-open');
  this.dismiss.focus({ preventScroll: true });
};

Lightbox.prototype.close = function () {
  if (!this.isOpen()) {
    return;
  }
  var index = this.index;
  this.index = -1;
  this.element.classList.remove('mw-open');
  this.element.inert = true;
  this.madeInert.forEach(function (child) { child.inert = false; });
  this.madeInert = [];
  this.onClose(index);
};

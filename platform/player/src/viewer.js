// The slide viewer: one slide large, with previous and next.

function Lightbox(root, slides, onClose) {
  var self = this;
  this.slides = slides;
  this.onClose = onClose;
  this.index = -1;
  this.element = el('div', 'mw-lightbox', root);
  this.element.setAttribute('role', 'dialog');
  this.element.setAttribute('aria-label', 'Slide viewer');
  var figure = el('figure', '', this.element);
  this.image = el('img', '', figure);
  this.image.alt = '';
  this.image.draggable = false;
  this.caption = el('figcaption', '', figure);
  this.prev = iconButton('prev', 'Previous slide', 'mw-nav mw-prev');
  this.next = iconButton('next', 'Next slide', 'mw-nav mw-next');
  var close = iconButton('close', 'Back to the wall', 'mw-dismiss');
  this.element.appendChild(this.prev);
  this.element.appendChild(this.next);
  this.element.appendChild(close);
  this.prev.addEventListener('click', function () { self.show(self.index - 1); });
  this.next.addEventListener('click', function () { self.show(self.index + 1); });
  close.addEventListener('click', function () { self.close(); });
  // A swipe steps through the slides; a click beside the slide (not the end of a swipe) closes.
  var swipe = null;
  var swiped = false;
  this.element.addEventListener('pointerdown', function (event) {
    swipe = { x: event.clientX, id: event.pointerId };
    swiped = false;
  });
  this.element.addEventListener('pointerup', function (event) {
    if (swipe && swipe.id === event.pointerId && Math.abs(event.clientX - swipe.x) > 50) {
      swiped = true;
      self.show(self.index + (event.clientX < swipe.x ? 1 : -1));
    }
    swipe = null;
  });
  this.element.addEventListener('click', function (event) {
    if (event.target === self.element && !swiped) {
      self.close();
    }
  });
  // A slide whose full image is missing shows its thumbnail.
  this.image.addEventListener('error', function () {
    var slide = self.slides[self.index];
    if (slide && self.image.getAttribute('src') !== slide.thumb) {
      self.image.src = slide.thumb;
    }
  });
}

Lightbox.prototype.isOpen = function () {
  return this.index >= 0;
};

Lightbox.prototype.show = function (index) {
  if (index < 0 || index >= this.slides.length) {
    return;
  }
  this.index = index;
  this.image.src = this.slides[index].image;
  this.image.dataset.index = String(index);
  this.caption.textContent = (index + 1) + ' / ' + this.slides.length;
  this.prev.disabled = index === 0;
  this.next.disabled = index === this.slides.length - 1;
  this.element.classList.add('mw-open');
  [index - 1, index + 1].forEach(function (near) {
    if (near >= 0 && near < this.slides.length) {
      new Image().src = this.slides[near].image;
    }
  }, this);
};

Lightbox.prototype.close = function () {
  if (!this.isOpen()) {
    return;
  }
  var index = this.index;
  this.index = -1;
  this.element.classList.remove('mw-open');
  this.onClose(index);
};

// The slide viewer: one slide large, with previous and next. A modal dialog: while it is open the
// rest of the page is inert, it holds the focus, and hands it back to the wall when it closes.

import { el, iconButton } from './dom.js';
import { isOldThumbnail, prefersReducedMotion } from './wall.js';
import { ViewerZoom } from './zoom.js';

var SWIPE_PX = 50;
var DOUBLE_TAP_MS = 320;
var DOUBLE_TAP_PX = 30;
var WHEEL_ZOOM = 0.006;

// hooks: onShow(index) after every slide shown, onClose(index), wallAspect(); rtl mirrors swipes.
export function Lightbox(root, slides, hooks, rtl) {
  var self = this;
  this.root = root;
  this.slides = slides;
  this.onShow = hooks.onShow;
  this.onClose = hooks.onClose;
  this.wallAspect = hooks.wallAspect;
  this.forward = rtl ? -1 : 1;
  this.index = -1;
  this.madeInert = [];
  this.element = el('div', 'mw-lightbox mw-unused', root);
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
  this.zoom = new ViewerZoom(this.frame, this.image, function (scale) {
    root.dataset.zoom = scale.toFixed(2);
  });
  this.listenToPointer();
  this.listenToWheel();
  this.image.addEventListener('load', function () { self.fitLoaded(); });
  this.image.addEventListener('error', function () { self.fallBack(); });
}

// One pointer swipes through the slides, or pans a zoomed slide; two pinch; a double-click or a
// double-tap toggles 2x; a click beside the slide closes. Only a press that began on the open
// viewer counts: the tap that opened it must not close it again with its own click.
Lightbox.prototype.listenToPointer = function () {
  var self = this;
  var element = this.element;
  var zoom = this.zoom;
  this.gesture = { pointers: new Map(), press: null, pinch: null, lastTap: null, pressedBeside: false,
    swiped: false };
  element.addEventListener('pointerdown', function (event) { self.pressed(event); });
  element.addEventListener('pointermove', function (event) { self.moved(event); });
  element.addEventListener('pointerup', function (event) { self.lifted(event); });
  element.addEventListener('pointercancel', function (event) { self.lifted(event); });
  element.addEventListener('dblclick', function (event) {
    var lastTap = self.gesture.lastTap;
    if (self.frame.contains(event.target) && !(lastTap && lastTap.touch)) {
      zoom.toggleAt(zoom.pointOf(event.clientX, event.clientY));
    }
  });
  element.addEventListener('click', function (event) {
    if (event.target === element && self.gesture.pressedBeside) {
      self.close();
    }
    self.gesture.pressedBeside = false;
  });
};

Lightbox.prototype.pressed = function (event) {
  var g = this.gesture;
  g.pointers.set(event.pointerId, { x: event.clientX, y: event.clientY });
  g.pressedBeside = event.target === this.element && g.pointers.size === 1;
  g.swiped = false;
  if (g.pointers.size === 2) {
    g.pinch = this.pinchFrom(g.pointers);
    g.press = null;
  } else if (g.pointers.size === 1) {
    // A press on a link over the slide is the link's: it neither pans nor is captured.
    g.press = { id: event.pointerId, x: event.clientX, y: event.clientY, lastX: event.clientX,
      lastY: event.clientY, moved: false, onSlide: this.frame.contains(event.target) && !event.target.closest('a') };
  }
  // A pan or a pinch keeps its pointers when they leave the slide; presses on the buttons stay
  // theirs, so that their clicks reach them.
  if (g.pinch || (g.press && g.press.onSlide && this.zoom.isZoomed())) {
    try { this.element.setPointerCapture(event.pointerId); } catch { /* the pointer may be gone */ }
  }
};

Lightbox.prototype.moved = function (event) {
  var g = this.gesture;
  if (!g.pointers.has(event.pointerId)) {
    return;
  }
  g.pointers.set(event.pointerId, { x: event.clientX, y: event.clientY });
  var press = g.press;
  if (g.pinch && g.pointers.size === 2) {
    this.pinchTo(g.pinch, g.pointers);
  } else if (press && press.id === event.pointerId) {
    press.moved = press.moved || Math.abs(event.clientX - press.x) + Math.abs(event.clientY - press.y) > 8;
    if (this.zoom.isZoomed()) {
      this.zoom.panBy(event.clientX - press.lastX, event.clientY - press.lastY, true);
    }
    press.lastX = event.clientX;
    press.lastY = event.clientY;
  }
};

Lightbox.prototype.lifted = function (event) {
  var g = this.gesture;
  if (!g.pointers.delete(event.pointerId)) {
    return;
  }
  if (g.pinch) {
    // The end of a pinch neither swipes nor closes.
    g.pressedBeside = false;
    g.pinch = g.pointers.size === 2 ? g.pinch : null;
    return;
  }
  if (g.press && g.press.id === event.pointerId && event.type === 'pointerup') {
    g.lastTap = this.released(g.press, event, g.lastTap);
    g.pressedBeside = g.pressedBeside && !g.press.moved;
  }
  g.press = null;
};

// The end of a one-pointer press: a swipe steps (unless the slide is zoomed), a second tap on the
// slide toggles the zoom. Returns the tap to compare the next one with.
Lightbox.prototype.released = function (press, event, lastTap) {
  var dx = event.clientX - press.x;
  if (!this.zoom.isZoomed() && Math.abs(dx) > SWIPE_PX) {
    this.gesture.swiped = true;
    this.show(this.index + (dx < 0 ? this.forward : -this.forward));
    return null;
  }
  if (press.moved || !press.onSlide || event.pointerType !== 'touch') {
    return event.pointerType === 'touch' ? null : { touch: false };
  }
  var tap = { touch: true, t: event.timeStamp, x: event.clientX, y: event.clientY };
  if (lastTap && lastTap.touch && tap.t - lastTap.t < DOUBLE_TAP_MS &&
      Math.abs(tap.x - lastTap.x) + Math.abs(tap.y - lastTap.y) < DOUBLE_TAP_PX) {
    this.zoom.toggleAt(this.zoom.pointOf(tap.x, tap.y));
    return { touch: true, t: -Infinity, x: 0, y: 0 };
  }
  return tap;
};

function spread(pointers) {
  var p = Array.from(pointers.values());
  return { distance: Math.hypot(p[0].x - p[1].x, p[0].y - p[1].y) || 1,
    x: (p[0].x + p[1].x) / 2, y: (p[0].y + p[1].y) / 2 };
}

Lightbox.prototype.pinchFrom = function (pointers) {
  var start = spread(pointers);
  return { distance: start.distance, scale: this.zoom.view.scale, x: start.x, y: start.y };
};

// The slide follows the fingers: scaled by how far they spread, moved with their midpoint.
Lightbox.prototype.pinchTo = function (pinch, pointers) {
  var now = spread(pointers);
  var zoom = this.zoom;
  zoom.panBy(now.x - pinch.x, now.y - pinch.y, true);
  pinch.x = now.x;
  pinch.y = now.y;
  zoom.zoomTo(pinch.scale * now.distance / pinch.distance, zoom.pointOf(now.x, now.y), true);
};

// Ctrl + wheel (and a touchpad's pinch, which the browser reports so) zooms around the pointer; the
// wheel alone pans a zoomed slide.
Lightbox.prototype.listenToWheel = function () {
  var zoom = this.zoom;
  this.element.addEventListener('wheel', function (event) {
    if (event.ctrlKey) {
      event.preventDefault();
      var unit = event.deltaMode === 1 ? 32 : 1;
      zoom.zoomTo(zoom.view.scale * Math.exp(-event.deltaY * unit * WHEEL_ZOOM),
        zoom.pointOf(event.clientX, event.clientY), true);
    } else if (zoom.isZoomed()) {
      event.preventDefault();
      zoom.panBy(-event.deltaX, -event.deltaY, true);
    }
  }, { passive: false });
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
    // A thumbnail standing in is never blown up.
    this.zoom.reset();
    this.zoom.enabled = false;
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
  var stepped = !opening && index !== this.index;
  this.index = index;
  this.zoom.reset();
  this.zoom.enabled = true;
  if (stepped && !prefersReducedMotion() && this.image.animate) {
    // A short fade from one slide to the next; with reduced motion the slide just changes.
    this.image.animate([{ opacity: 0.4 }, { opacity: 1 }], { duration: 180, easing: 'ease-out' });
  }
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
  this.onShow(index);
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
  element.classList.remove('mw-unused');
  element.classList.add('mw-open');
  this.dismiss.focus({ preventScroll: true });
};

Lightbox.prototype.close = function () {
  if (!this.isOpen()) {
    return;
  }
  var index = this.index;
  this.zoom.reset();
  this.index = -1;
  this.element.classList.remove('mw-open');
  this.element.inert = true;
  this.madeInert.forEach(function (child) { child.inert = false; });
  this.madeInert = [];
  this.onClose(index);
};

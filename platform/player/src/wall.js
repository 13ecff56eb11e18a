// The wall: slides in columns on a concave arc, seen in perspective. Only the columns near the
// view are in the page; the wall turns by changing one transform.

import { el } from './dom.js';
import { isStandInTitle } from './words.js';
import {
  arcFor, clamp, columnsAround, firstPosition, lastPosition, releaseVelocity, resisted, rowsFor, showsFullImage,
  START_ASPECT, tileSize, viewReach, wheelPixels
} from './layout.js';

// Thumbnails made before they kept the slide's shape all have this size, whatever the slide's.
var OLD_THUMB = { width: 180, height: 135 };
var FOCUS_REST_MS = 150;
// A wall turning faster than this (columns a second) draws its tiles plain, without reflection
// or sheen, until it slows below the second figure or rests: software rendering then draws fewer
// pixels on every frame while new columns come in several a frame.
var FAST_COLUMNS_PER_S = 6;
var SLOW_COLUMNS_PER_S = 1.5;

export function prefersReducedMotion() {
  return !!(window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches);
}

export function isOldThumbnail(img) {
  return img.naturalWidth === OLD_THUMB.width && img.naturalHeight === OLD_THUMB.height;
}

// The pictures the page's first script asked for are taken by the tiles that show them: the very
// elements, loaded already, so that the first frame with tiles shows their pictures.
function takeEarlyPicture(src) {
  var early = window.muranoFirstPictures || [];
  for (var i = 0; i < early.length; i++) {
    if (early[i] && early[i].getAttribute('src') === src) {
      var img = early[i];
      early[i] = null;
      return img;
    }
  }
  return null;
}

// The wall keeps two things apart: where it stands (position, the column at the centre of the
// view, moved by drag, wheel and inertia) and the current slide (column and row, moved by keys and
// shown with a highlight). The view follows the current slide only when it would leave the view.
// The current slide's tile is the wall's one tab stop. A right-to-left wall is the mirror image:
// its first slide at the right, turned the other way by drags.
export function Wall(root, stage, slides, onOpen, onMove, rtl) {
  this.root = root;
  this.mirror = rtl ? -1 : 1;
  this.stage = stage;
  this.slides = slides;
  this.onOpen = onOpen;
  this.onMove = onMove;
  this.rows = rowsFor(slides.length);
  this.columns = Math.ceil(slides.length / this.rows);
  this.element = el('div', 'mw-wall', stage);
  this.element.setAttribute('role', 'group');
  this.element.setAttribute('aria-label', 'Slides');
  this.tiles = new Map();
  this.titles = null;
  this.aspect = START_ASPECT;
  this.aspectLearned = false;
  this.sharp = false;
  this.position = 0;
  this.target = 0;
  this.velocity = 0;
  this.mode = 'idle';
  this.cursor = 0;
  this.currentRow = 0;
  this.currentTile = null;
  this.wantsFocus = false;
  this.keyRepeating = false;
  this.focusTimer = 0;
  this.frame = 0;
  this.lastTime = 0;
  this.drag = null;
  this.wheelTimer = 0;
  this.first = Infinity;
  this.last = -Infinity;
  this.tick = this.tick.bind(this);
  this.root.dataset.moving = '0';
  this.root.dataset.fast = '0';
  this.fast = false;
  // Pictures of the first tiles still on their way; the rest of the page waits for them.
  this.pending = null;
  this.settled = null;
  this.layout();
  if (window.muranoFirstPictures) {
    window.muranoFirstPictures = null; // the first tiles have taken theirs
  }
  this.position = this.target = this.minPosition();
  this.pending = new Set(this.tiles.keys());
  this.render();
  this.listen();
}

// Calls back once the pictures of the tiles first shown have loaded or failed, or after `limit` ms.
Wall.prototype.whenFirstPictures = function (limit, callback) {
  var self = this;
  var timer = 0;
  this.settled = function () {
    self.settled = null;
    self.pending = null;
    clearTimeout(timer);
    callback();
  };
  timer = setTimeout(this.settled, limit);
  this.notePicture(-1);
};

Wall.prototype.notePicture = function (index) {
  if (this.pending) {
    this.pending.delete(index);
    if (!this.pending.size && this.settled) {
      this.settled();
    }
  }
};

Wall.prototype.layout = function () {
  // The stage fills the window; reading the window's size forces no layout of the page.
  var width = window.innerWidth;
  var height = window.innerHeight;
  // A wall still at its start stays there: its first column keeps to the left edge.
  var atStart = this.lead === undefined || Math.max(this.position, this.target) <= this.minPosition() + 0.001;
  var size = tileSize({ width: width, height: height }, this.rows, this.columns, this.aspect);
  var tileW = size.width;
  var tileH = size.height;
  this.tileW = tileW;
  this.tileH = tileH;
  // gap, pitch, radius, step (radians per column) and perspective
  Object.assign(this, arcFor(width, size));
  this.root.style.setProperty('--tile-w', tileW + 'px');
  this.root.style.setProperty('--tile-h', tileH + 'px');
  this.stage.style.perspective = this.perspective + 'px';
  var wallHeight = this.rows * tileH + (this.rows - 1) * this.gap;
  this.rowTop = -wallHeight / 2 + tileH / 2 - (this.rows > 1 ? tileH * 0.12 : tileH * 0.2);
  // reach, span and lead
  Object.assign(this, viewReach(this, width));
  var sharp = showsFullImage(tileW, window.devicePixelRatio || 1);
  var tiles = this.tiles;
  if (sharp !== this.sharp) {
    // Tiles change their picture: they are made again.
    this.sharp = sharp;
    this.tiles = new Map();
    tiles.forEach(function (tile) { tile.remove(); });
    this.currentTile = null;
    this.first = Infinity;
    this.last = -Infinity;
  } else {
    tiles.forEach(function (tile, index) { this.place(tile, index); }, this);
  }
  this.root.dataset.sharp = sharp ? '1' : '0';
  this.position = atStart ? this.minPosition() : clamp(this.position, this.minPosition(), this.maxPosition());
  this.target = atStart ? this.position : clamp(this.target, this.minPosition(), this.maxPosition());
  this.render();
};

// The slides' shape comes from their pictures (the index declares every slide 960 x 720): the
// first picture that loads sets it for the whole wall.
Wall.prototype.learnAspect = function (img, slide, fromThumbnail) {
  if (this.aspectLearned || !img.naturalWidth || !img.naturalHeight) {
    return;
  }
  this.aspectLearned = true;
  var self = this;
  var adopt = function (width, height) {
    var aspect = clamp(width / height, 0.3, 4);
    self.root.style.setProperty('--slide-aspect', aspect.toFixed(4));
    if (Math.abs(aspect - self.aspect) > self.aspect * 0.02) {
      self.aspect = aspect;
      self.layout();
    }
  };
  if (fromThumbnail && isOldThumbnail(img)) {
    var probe = new Image();
    probe.onload = function () { adopt(probe.naturalWidth, probe.naturalHeight); };
    probe.src = slide.image;
    return;
  }
  adopt(img.naturalWidth, img.naturalHeight);
};

Wall.prototype.minPosition = function () {
  return firstPosition(this.lead, this.columns);
};

Wall.prototype.maxPosition = function () {
  return lastPosition(this.lead, this.columns);
};

Wall.prototype.render = function () {
  var angle = this.mirror * this.position * this.step;
  this.element.style.transform = 'translateZ(' + this.radius.toFixed(1) + 'px) rotateY(' + (angle * 180 / Math.PI).toFixed(4) + 'deg)';
  var around = columnsAround(this.position, this.span, this.columns);
  if (around.first !== this.first || around.last !== this.last) {
    this.attach(around.first, around.last);
  }
  var range = this.maxPosition() - this.minPosition();
  this.onMove(this.currentIndex(), this.slides.length, range > 0 ? (this.position - this.minPosition()) / range : 1);
};

// Marks the wall fast or not from the speed it turns at (columns a millisecond); at rest it is not.
Wall.prototype.noteSpeed = function (columnsPerMs) {
  var speed = Math.abs(columnsPerMs) * 1000;
  var fast = this.mode !== 'idle' && (this.fast ? speed >= SLOW_COLUMNS_PER_S : speed > FAST_COLUMNS_PER_S);
  if (fast !== this.fast) {
    this.fast = fast;
    this.root.dataset.fast = fast ? '1' : '0';
  }
};

Wall.prototype.attach = function (first, last) {
  var self = this;
  this.tiles.forEach(function (tile, index) {
    var column = Math.floor(index / self.rows);
    if (column < first || column > last) {
      tile.remove();
      self.tiles.delete(index);
    }
  });
  var fragment = document.createDocumentFragment();
  for (var column = first; column <= last; column++) {
    for (var row = 0; row < this.rows; row++) {
      var index = column * this.rows + row;
      if (index < this.slides.length && !this.tiles.has(index)) {
        var tile = this.makeTile(index);
        this.tiles.set(index, tile);
        fragment.appendChild(tile);
      }
    }
  }
  this.element.appendChild(fragment);
  this.first = first;
  this.last = last;
  this.markCurrent();
};

Wall.prototype.place = function (tile, index) {
  var column = Math.floor(index / this.rows);
  var y = this.rowTop + (index % this.rows) * (this.tileH + this.gap);
  tile.style.transform = 'rotateY(' + (-this.mirror * column * this.step * 180 / Math.PI).toFixed(4) + 'deg) translateZ(' +
    (-this.radius).toFixed(1) + 'px) translateY(' + y.toFixed(1) + 'px)';
};

Wall.prototype.makeTile = function (index) {
  var self = this;
  var slide = this.slides[index];
  var tile = el('div', 'mw-tile');
  tile.dataset.index = String(index);
  tile.setAttribute('role', 'button');
  tile.tabIndex = -1;
  this.place(tile, index);
  var card = el('div', 'mw-card', tile);
  var number = el('span', 'mw-number', card);
  number.setAttribute('aria-hidden', 'true');
  number.textContent = String(index + 1);
  // A tile shows its thumbnail, or the full image when drawn much larger than a thumbnail; when
  // that picture is missing it tries the other one, then keeps its number.
  var pictures = this.sharp ? [slide.image, slide.thumb] : [slide.thumb, slide.image];
  var early = takeEarlyPicture(pictures[0]);
  var img = early || document.createElement('img');
  card.appendChild(img);
  this.name(tile, img, index);
  img.draggable = false;
  img.decoding = 'async';
  var reflection = index % this.rows === this.rows - 1 ? el('div', 'mw-reflection', tile) : null;
  var tried = 0;
  img.onload = function () {
    self.notePicture(index);
    img.classList.add('mw-loaded');
    number.remove();
    self.learnAspect(img, slide, img.getAttribute('src') === slide.thumb);
    if (reflection) {
      var mirror = el('img', '', reflection);
      mirror.alt = '';
      mirror.src = img.src;
    }
  };
  img.onerror = function () {
    if (++tried < pictures.length) {
      img.src = pictures[tried];
    } else {
      self.notePicture(index);
    }
  };
  if (!early) {
    img.src = pictures[0];
  } else if (early.complete) {
    // Its events have passed: the tile learns the outcome before the frame that first shows it.
    Promise.resolve().then(function () { return early.naturalWidth > 0 ? img.onload() : img.onerror(); });
  }
  return tile;
};

// A tile says which slide it is, and the slide's title where the deck's words give one.
Wall.prototype.name = function (tile, img, index) {
  var title = this.titles ? this.titles[index] : '';
  var label = 'Slide ' + (index + 1) + ' of ' + this.slides.length;
  tile.setAttribute('aria-label', title && !isStandInTitle(title) ? label + ': ' + title : label);
  img.alt = title || 'Slide ' + (index + 1);
};

Wall.prototype.setTitles = function (titles) {
  this.titles = titles;
  this.tiles.forEach(function (tile, index) { this.name(tile, tile.querySelector('.mw-card img'), index); }, this);
};

Wall.prototype.currentIndex = function () {
  return Math.min(this.slides.length - 1, this.cursor * this.rows + this.currentRow);
};

// The current tile is highlighted while the keyboard is in use, is the wall's tab stop, and takes
// the focus when a key moved it there or the viewer handed the focus back.
Wall.prototype.markCurrent = function () {
  var index = this.currentIndex();
  var tile = this.tiles.get(index) || null;
  if (this.currentTile && this.currentTile !== tile) {
    this.currentTile.classList.remove('mw-current');
    this.currentTile.tabIndex = -1;
  }
  this.currentTile = tile;
  if (tile) {
    tile.tabIndex = 0;
    tile.classList.toggle('mw-current', this.root.dataset.keyboard === '1');
    if (this.wantsFocus) {
      this.wantsFocus = false;
      this.focusTile(tile);
    }
  }
  this.root.dataset.current = String(index);
};

// While a key is held down the focus follows once the key comes to rest: moving it on every
// repeat would cost a frame each time and flood a screen reader with slides.
Wall.prototype.focusTile = function (tile) {
  clearTimeout(this.focusTimer);
  if (!this.keyRepeating) {
    tile.focus({ preventScroll: true });
    return;
  }
  var self = this;
  this.focusTimer = setTimeout(function () {
    if (self.currentTile && self.hasFocus()) {
      self.currentTile.focus({ preventScroll: true });
    }
  }, FOCUS_REST_MS);
};

Wall.prototype.hasFocus = function () {
  var active = document.activeElement;
  return !active || active === document.body || this.element.contains(active);
};

// Motion: 'drag' follows the pointer, 'glide' coasts with friction, 'ease' settles on target.
// With reduced motion the wall jumps instead of gliding or easing.
Wall.prototype.start = function () {
  if (prefersReducedMotion() && this.mode !== 'drag') {
    var settled = this.mode === 'glide' ? Math.round(this.position) : this.target;
    this.position = this.target = clamp(settled, this.minPosition(), this.maxPosition());
    if (this.mode === 'glide') {
      this.followView();
    }
    this.mode = 'idle';
    this.render();
    return;
  }
  if (!this.frame) {
    this.lastTime = performance.now();
    this.frame = requestAnimationFrame(this.tick);
    this.root.dataset.moving = '1';
  }
};

Wall.prototype.tick = function (now) {
  var dt = Math.min(64, Math.max(1, now - this.lastTime));
  this.lastTime = now;
  var min = this.minPosition();
  var max = this.maxPosition();
  var from = this.position;
  if (this.mode === 'glide') {
    this.position += this.velocity * dt;
    this.velocity *= Math.pow(0.94, dt / 16);
    if (this.position < min || this.position > max) {
      this.velocity *= Math.pow(0.5, dt / 16);
    }
    if (Math.abs(this.velocity) < 0.0006) {
      this.mode = 'ease';
      this.target = clamp(Math.round(this.position), min, max);
      this.followView();
    }
  } else if (this.mode === 'ease') {
    this.position += (this.target - this.position) * (1 - Math.exp(-dt / 110));
    if (Math.abs(this.target - this.position) < 0.002) {
      this.position = this.target;
      this.mode = 'idle';
    }
  }
  this.noteSpeed((this.position - from) / dt);
  this.render();
  if (this.mode === 'idle') {
    this.frame = 0;
    this.root.dataset.moving = '0';
  } else {
    this.frame = requestAnimationFrame(this.tick);
  }
};

Wall.prototype.goTo = function (target) {
  this.target = clamp(target, this.minPosition(), this.maxPosition());
  // A long way (Home or End on a long wall) starts close to the end of the journey: the last
  // stretch shows the motion without building every column on the way.
  var far = 3 * this.span;
  if (Math.abs(this.target - this.position) > far && this.mode !== 'drag') {
    this.position = this.target - Math.sign(this.target - this.position) * far;
  }
  if (this.mode !== 'drag') {
    this.mode = 'ease';
    this.start();
  }
};

// After the view was moved by hand, the current slide comes along into it.
Wall.prototype.followView = function () {
  var centre = Math.round(this.target);
  this.cursor = clamp(this.cursor, Math.max(0, centre - this.reach), Math.min(this.columns - 1, centre + this.reach));
  this.markCurrent();
};

// Makes a column current and turns the wall just enough to show it whole.
Wall.prototype.moveCursor = function (column) {
  this.cursor = clamp(column, 0, this.columns - 1);
  if (this.currentIndex() < this.cursor * this.rows + this.currentRow) {
    this.currentRow = this.currentIndex() % this.rows;
  }
  var target = clamp(Math.round(this.target), this.cursor - this.reach, this.cursor + this.reach);
  this.goTo(target);
  this.markCurrent();
};

Wall.prototype.showIndex = function (index) {
  this.currentRow = index % this.rows;
  this.moveCursor(Math.floor(index / this.rows));
};

Wall.prototype.moveRow = function (delta) {
  var row = clamp(this.currentRow + delta, 0, this.rows - 1);
  if (this.cursor * this.rows + row < this.slides.length) {
    this.currentRow = row;
    this.markCurrent();
    this.onMove(this.currentIndex(), this.slides.length, null);
  }
};

Wall.prototype.listen = function () {
  var stage = this.stage;
  var release = this.release.bind(this);
  stage.addEventListener('pointerdown', this.press.bind(this));
  stage.addEventListener('pointermove', this.dragTo.bind(this));
  stage.addEventListener('pointerup', release);
  stage.addEventListener('pointercancel', release);
  stage.addEventListener('wheel', this.turnByWheel.bind(this), { passive: false });
  stage.addEventListener('click', this.activate.bind(this));
};

Wall.prototype.press = function (event) {
  if (event.button !== 0) {
    return;
  }
  // A finger wobbles more than a mouse before it counts as a drag.
  this.drag = { id: event.pointerId, x: event.clientX, y: event.clientY, start: this.position, moved: false,
    slop: event.pointerType === 'touch' ? 10 : 6, samples: [{ t: event.timeStamp, p: this.position }],
    target: event.target };
  this.velocity = 0;
  try { this.stage.setPointerCapture(event.pointerId); } catch { /* the pointer may be gone */ }
};

Wall.prototype.dragTo = function (event) {
  var drag = this.drag;
  if (!drag || drag.id !== event.pointerId) {
    return;
  }
  var dx = event.clientX - drag.x;
  if (!drag.moved && Math.abs(dx) + Math.abs(event.clientY - drag.y) < drag.slop) {
    return;
  }
  if (!drag.moved) {
    drag.moved = true;
    this.mode = 'drag';
    this.stage.classList.add('mw-dragging');
  }
  var position = resisted(drag.start - this.mirror * dx / this.pitch, this.minPosition(), this.maxPosition());
  var previous = drag.samples[drag.samples.length - 1];
  this.noteSpeed((position - previous.p) / Math.max(1, event.timeStamp - previous.t));
  this.position = position;
  drag.samples.push({ t: event.timeStamp, p: position });
  if (drag.samples.length > 6) {
    drag.samples.shift();
  }
  this.render();
};

// A press that did not move opens the tile it began on; a drag lets the wall glide on.
Wall.prototype.release = function (event) {
  var drag = this.drag;
  if (!drag || drag.id !== event.pointerId) {
    return;
  }
  this.drag = null;
  this.stage.classList.remove('mw-dragging');
  if (!drag.moved) {
    var tile = drag.target && drag.target.closest ? drag.target.closest('.mw-tile') : null;
    if (tile && event.type === 'pointerup') {
      this.onOpen(Number(tile.dataset.index));
    }
    return;
  }
  this.velocity = releaseVelocity(drag.samples, event.timeStamp);
  this.mode = 'glide';
  this.start();
};

// The wheel eases the wall along; once it rests, the wall settles on a column.
Wall.prototype.turnByWheel = function (event) {
  var self = this;
  event.preventDefault();
  var across = Math.abs(event.deltaX) > Math.abs(event.deltaY) ? this.mirror : 1;
  this.target = clamp(this.target + across * wheelPixels(event, this.stage.clientWidth) / this.pitch, this.minPosition(),
    this.maxPosition());
  this.mode = 'ease';
  this.start();
  clearTimeout(this.wheelTimer);
  this.wheelTimer = setTimeout(function () {
    self.goTo(Math.round(self.target));
    self.followView();
  }, 140);
};

// Assistive technology activates a tile with a click that no pointer made.
Wall.prototype.activate = function (event) {
  var tile = event.detail === 0 && event.target.closest ? event.target.closest('.mw-tile') : null;
  if (tile) {
    this.onOpen(Number(tile.dataset.index));
  }
};

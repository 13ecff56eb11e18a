// The wall: slides in columns on a concave arc, seen in perspective. Only the columns near the
// view are in the page; the wall turns by changing one transform.

var ROW_LIMIT = 3;
// Below this width the wall takes a layout of its own: few large tiles, one column at the centre.
var PHONE_WIDTH = 600;
// Thumbnails are made this wide; tiles drawn much wider than that show the full image instead.
var THUMB_WIDTH = 180;
var SHARP_FACTOR = 1.5;
// Thumbnails made before they kept the slide's shape all have this size, whatever the slide's.
var OLD_THUMB = { width: 180, height: 135 };
var FOCUS_REST_MS = 150;

function rowsFor(count) {
  return count <= 3 ? 1 : count <= 8 ? 2 : ROW_LIMIT;
}

function clamp(value, low, high) {
  return Math.min(high, Math.max(low, value));
}

function prefersReducedMotion() {
  return !!(window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches);
}

function isOldThumbnail(img) {
  return img.naturalWidth === OLD_THUMB.width && img.naturalHeight === OLD_THUMB.height;
}

function isPhoneWidth(width) {
  return width < PHONE_WIDTH;
}

// The wall keeps two things apart: where it stands (position, the column at the centre of the
// view, moved by drag, wheel and inertia) and the current slide (column and row, moved by keys and
// shown with a highlight). The view follows the current slide only when it would leave the view.
// The current slide's tile is the wall's one tab stop.
function Wall(root, stage, slides, onOpen, onMove) {
  this.root = root;
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
  this.aspect = 4 / 3;
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
  this.layout();
  this.position = this.target = this.minPosition();
  this.render();
  this.listen();
}

// Tile size from the view and the slides' shape: on a phone the tiles take most of the width and
// the rows most of the height; elsewhere a share of the view that depends on the number of rows.
Wall.prototype.tileSize = function (width, height) {
  var aspect = this.aspect;
  var rowsHigh = this.rows + (this.rows - 1) * 0.12;
  var tileH;
  if (isPhoneWidth(width)) {
    tileH = Math.min(width * 0.6 / aspect, height * 0.62 / rowsHigh);
  } else {
    var share = this.rows === 1 ? 0.34 : this.rows === 2 ? 0.25 : 0.19;
    tileH = Math.max(60, Math.min(height * share, width * share / aspect, 240, 320 / aspect));
    if (this.columns <= 4) {
      // A short wall shows whole, with room to breathe at both sides.
      tileH = Math.min(tileH, (width * 0.84 / this.columns) / 1.12 / aspect);
    }
  }
  tileH = Math.round(Math.max(36, tileH));
  return { width: Math.round(tileH * aspect), height: tileH };
};

Wall.prototype.layout = function () {
  // The stage fills the window; reading the window's size forces no layout of the page.
  var width = window.innerWidth;
  var height = window.innerHeight;
  // A wall still at its start stays there: its first column keeps to the left edge.
  var atStart = this.lead === undefined || Math.max(this.position, this.target) <= this.minPosition() + 0.001;
  var size = this.tileSize(width, height);
  var tileW = size.width;
  var tileH = size.height;
  this.tileW = tileW;
  this.tileH = tileH;
  this.gap = Math.round(Math.min(tileW, tileH) * 0.12);
  this.pitch = tileW + this.gap;
  this.radius = Math.max(width * 1.15, this.pitch * 6);
  this.step = this.pitch / this.radius; // radians per column
  // Seen from far enough that near columns never loom over their neighbours, even with the few
  // large tiles of a phone.
  this.perspective = Math.round(Math.max(width * 0.95, this.pitch * 4.5));
  this.root.style.setProperty('--tile-w', tileW + 'px');
  this.root.style.setProperty('--tile-h', tileH + 'px');
  this.stage.style.perspective = this.perspective + 'px';
  var wallHeight = this.rows * tileH + (this.rows - 1) * this.gap;
  this.rowTop = -wallHeight / 2 + tileH / 2 - (this.rows > 1 ? tileH * 0.12 : tileH * 0.2);
  this.measureView(width);
  var sharp = tileW * (window.devicePixelRatio || 1) > THUMB_WIDTH * SHARP_FACTOR;
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

// Where a point `offset` columns away from the centre of the view shows on screen.
Wall.prototype.projectedX = function (offset) {
  var angle = offset * this.step;
  var x = this.radius * Math.sin(angle);
  var z = this.radius * (1 - Math.cos(angle));
  return z >= this.perspective * 0.92 ? Infinity : x * this.perspective / (this.perspective - z);
};

// span: columns either side of the centre that reach the screen (plus a spare one), kept in the
// page. reach: columns either side that show whole, the view's margin for the current slide.
// lead: how far from the centre the first column stands when the wall starts, so that the wall
// begins just inside the left edge of the view.
Wall.prototype.measureView = function (width) {
  var half = width / 2;
  this.reach = 0;
  for (var k = 1; k < 200; k++) {
    if (this.projectedX(k + 0.5) <= half - 8) {
      this.reach = k;
    }
    if (this.projectedX(k - 0.5) > half) {
      break;
    }
  }
  this.span = k + 1;
  var low = 0;
  var high = k;
  var margin = Math.max(16, width * 0.03);
  for (var i = 0; i < 30; i++) {
    var middle = (low + high) / 2;
    if (this.projectedX(middle + 0.5) <= half - margin) {
      low = middle;
    } else {
      high = middle;
    }
  }
  this.lead = low;
};

// A short wall stands centred; a long one starts with its first column at the left edge.
Wall.prototype.minPosition = function () {
  return Math.min(this.lead, (this.columns - 1) / 2);
};

Wall.prototype.maxPosition = function () {
  return Math.max(this.columns - 1 - this.lead, (this.columns - 1) / 2);
};

Wall.prototype.render = function () {
  var angle = this.position * this.step;
  this.element.style.transform = 'translateZ(' + this.radius.toFixed(1) + 'px) rotateY(' + (angle * 180 / Math.PI).toFixed(4) + 'deg)';
  var first = Math.max(0, Math.floor(this.position) - this.span);
  var last = Math.min(this.columns - 1, Math.ceil(this.position) + this.span);
  if (first !== this.first || last !== this.last) {
    this.attach(first, last);
  }
  var range = this.maxPosition() - this.minPosition();
  this.onMove(this.currentIndex(), this.slides.length, range > 0 ? (this.position - this.minPosition()) / range : 1);
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
  tile.style.transform = 'rotateY(' + (-column * this.step * 180 / Math.PI).toFixed(4) + 'deg) translateZ(' +
    (-this.radius).toFixed(1) + 'px) translateY(' + y.toFixed(1) + 'px)';
};

Wall.prototype.makeTile = function (index) {
  var self = this;
  var slide = this.slides[index];
  var tile = el('div', 'mw-tile');
  tile.dataset.index = String(index);
  tile.setAttribute('role', 'button');
  tile.setAttribute('aria-label', 'Slide ' + (index + 1) + ' of ' + this.slides.length);
  tile.tabIndex = -1;
  this.place(tile, index);
  var card = el('div', 'mw-card', tile);
  var number = el('span', 'mw-number', card);
  number.setAttribute('aria-hidden', 'true');
  number.textContent = String(index + 1);
  var img = el('img', '', card);
  img.alt = '';
  img.draggable = false;
  img.decoding = 'async';
  var reflection = index % this.rows === this.rows - 1 ? el('div', 'mw-reflection', tile) : null;
  // A tile shows its thumbnail, or the full image when drawn much larger than a thumbnail; when
  // that picture is missing it tries the other one, then keeps its number.
  var pictures = this.sharp ? [slide.image, slide.thumb] : [slide.thumb, slide.image];
  var tried = 0;
  img.onload = function () {
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
    }
  };
  img.src = pictures[0];
  return tile;
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
  var self = this;
  var stage = this.stage;
  stage.addEventListener('pointerdown', function (event) {
    if (event.button !== 0) {
      return;
    }
    // A finger wobbles more than a mouse before it counts as a drag.
    self.drag = { id: event.pointerId, x: event.clientX, y: event.clientY, start: self.position, moved: false,
      slop: event.pointerType === 'touch' ? 10 : 6, samples: [{ t: event.timeStamp, p: self.position }],
      target: event.target };
    self.velocity = 0;
    try { stage.setPointerCapture(event.pointerId); } catch (e) { /* the pointer may be gone */ }
  });
  stage.addEventListener('pointermove', function (event) {
    var drag = self.drag;
    if (!drag || drag.id !== event.pointerId) {
      return;
    }
    var dx = event.clientX - drag.x;
    if (!drag.moved && Math.abs(dx) + Math.abs(event.clientY - drag.y) < drag.slop) {
      return;
    }
    if (!drag.moved) {
      drag.moved = true;
      self.mode = 'drag';
      stage.classList.add('mw-dragging');
    }
    var position = drag.start - dx / self.pitch;
    var min = self.minPosition();
    var max = self.maxPosition();
    // Past either end the wall gives way reluctantly.
    if (position < min) {
      position = min + (position - min) * 0.3;
    } else if (position > max) {
      position = max + (position - max) * 0.3;
    }
    self.position = position;
    drag.samples.push({ t: event.timeStamp, p: position });
    if (drag.samples.length > 6) {
      drag.samples.shift();
    }
    self.render();
  });
  var release = function (event) {
    var drag = self.drag;
    if (!drag || drag.id !== event.pointerId) {
      return;
    }
    self.drag = null;
    stage.classList.remove('mw-dragging');
    if (!drag.moved) {
      var tile = drag.target && drag.target.closest ? drag.target.closest('.mw-tile') : null;
      if (tile && event.type === 'pointerup') {
        self.onOpen(Number(tile.dataset.index));
      }
      return;
    }
    var samples = drag.samples;
    var a = samples[0];
    var b = samples[samples.length - 1];
    var elapsed = b.t - a.t;
    var recent = event.timeStamp - b.t < 80;
    self.velocity = clamp(elapsed > 0 && recent ? (b.p - a.p) / elapsed : 0, -0.08, 0.08);
    self.mode = 'glide';
    self.start();
  };
  stage.addEventListener('pointerup', release);
  stage.addEventListener('pointercancel', release);
  stage.addEventListener('wheel', function (event) {
    event.preventDefault();
    var unit = event.deltaMode === 1 ? 32 : event.deltaMode === 2 ? self.stage.clientWidth : 1;
    var delta = (Math.abs(event.deltaX) > Math.abs(event.deltaY) ? event.deltaX : event.deltaY) * unit;
    self.target = clamp(self.target + delta / self.pitch, self.minPosition(), self.maxPosition());
    self.mode = 'ease';
    self.start();
    clearTimeout(self.wheelTimer);
    self.wheelTimer = setTimeout(function () {
      self.goTo(Math.round(self.target));
      self.followView();
    }, 140);
  }, { passive: false });
  // Assistive technology activates a tile with a click that no pointer made.
  stage.addEventListener('click', function (event) {
    var tile = event.detail === 0 && event.target.closest ? event.target.closest('.mw-tile') : null;
    if (tile) {
      self.onOpen(Number(tile.dataset.index));
    }
  });
};

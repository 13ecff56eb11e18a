// Zoom in the slide viewer: the arithmetic of a picture scaled between 1x and 4x around a point and
// panned within its frame, and the controller that applies it to the viewer's picture.

export var MIN_SCALE = 1;
export var MAX_SCALE = 4;
var STEP = 1.5;
var REST_MS = 180;

function clampTo(value, low, high) {
  return Math.min(high, Math.max(low, value));
}

// A view is { scale, x, y }: the picture, scaled from its top-left corner, moved by x, y pixels
// within a frame of size { width, height }. It always covers the whole frame.
export function fitted(view, size) {
  var scale = clampTo(view.scale, MIN_SCALE, MAX_SCALE);
  return {
    scale: scale,
    x: clampTo(view.x, size.width * (1 - scale), 0),
    y: clampTo(view.y, size.height * (1 - scale), 0)
  };
}

// The view scaled to `scale` with the frame point `at` ({ x, y }) staying where it is.
export function zoomedAt(view, scale, at, size) {
  var next = clampTo(scale, MIN_SCALE, MAX_SCALE);
  var ratio = next / view.scale;
  return fitted({ scale: next, x: at.x - (at.x - view.x) * ratio, y: at.y - (at.y - view.y) * ratio }, size);
}

export function pannedBy(view, dx, dy, size) {
  return fitted({ scale: view.scale, x: view.x + dx, y: view.y + dy }, size);
}

// Double-click and double-tap: 2x around the point, or back to the whole slide.
export function toggled(view, at, size) {
  return view.scale > MIN_SCALE ? { scale: 1, x: 0, y: 0 } : zoomedAt(view, 2, at, size);
}

export function ViewerZoom(frame, image, onChange) {
  this.frame = frame;
  this.image = image;
  // The picture and whatever lies over it (its links) move together.
  this.layers = [image];
  this.onChange = onChange;
  this.view = { scale: 1, x: 0, y: 0 };
  this.enabled = true;
  this.restTimer = 0;
}

ViewerZoom.prototype.isZoomed = function () {
  return this.view.scale > MIN_SCALE;
};

ViewerZoom.prototype.size = function () {
  return { width: this.frame.clientWidth, height: this.frame.clientHeight };
};

// A point of the page as a point of the frame.
ViewerZoom.prototype.pointOf = function (clientX, clientY) {
  var box = this.frame.getBoundingClientRect();
  return { x: clientX - box.left, y: clientY - box.top };
};

ViewerZoom.prototype.centre = function () {
  var size = this.size();
  return { x: size.width / 2, y: size.height / 2 };
};

// While a gesture goes on the picture is moved as a layer; once it rests it is drawn again at its
// new scale, sharp. A gesture follows the fingers at once, a key or a double-click glides.
ViewerZoom.prototype.set = function (view, gesture) {
  if (!this.enabled && view.scale > MIN_SCALE) {
    return;
  }
  this.view = view;
  var frame = this.frame;
  frame.classList.toggle('mw-zoomed', view.scale > MIN_SCALE);
  frame.classList.toggle('mw-gesture', !!gesture);
  var transform = view.scale > MIN_SCALE ? 'translate(' + view.x.toFixed(1) + 'px,' +
    view.y.toFixed(1) + 'px) scale(' + view.scale.toFixed(3) + ')' : '';
  this.layers.forEach(function (layer) { layer.style.transform = transform; });
  clearTimeout(this.restTimer);
  if (gesture) {
    this.restTimer = setTimeout(function () { frame.classList.remove('mw-gesture'); }, REST_MS);
  }
  this.onChange(view.scale);
};

ViewerZoom.prototype.zoomTo = function (scale, at, gesture) {
  this.set(zoomedAt(this.view, scale, at || this.centre(), this.size()), gesture);
};

ViewerZoom.prototype.zoomStep = function (direction) {
  this.zoomTo(this.view.scale * (direction > 0 ? STEP : 1 / STEP));
};

ViewerZoom.prototype.panBy = function (dx, dy, gesture) {
  this.set(pannedBy(this.view, dx, dy, this.size()), gesture);
};

ViewerZoom.prototype.toggleAt = function (at) {
  this.set(toggled(this.view, at, this.size()));
};

ViewerZoom.prototype.reset = function () {
  if (this.isZoomed()) {
    this.set({ scale: 1, x: 0, y: 0 });
  }
};

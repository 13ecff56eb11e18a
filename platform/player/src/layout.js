// The wall's arithmetic, apart from the page: rows for a number of slides, the tiles' size for a
// view, where a column on the arc shows on screen, and how a drag or a wheel turns the wall.

var ROW_LIMIT = 3;
// The slides' shape a wall takes until its first picture has loaded.
export var START_ASPECT = 4 / 3;
// Thumbnails are made this wide; tiles drawn much wider than that show the full image instead.
var THUMB_WIDTH = 180;
var SHARP_FACTOR = 1.5;
// Below this width the wall takes a layout of its own: few large tiles, one column at the centre.
var PHONE_WIDTH = 600;

export function rowsFor(count) {
  return count <= 3 ? 1 : count <= 8 ? 2 : ROW_LIMIT;
}

export function clamp(value, low, high) {
  return Math.min(high, Math.max(low, value));
}

export function isPhoneWidth(width) {
  return width < PHONE_WIDTH;
}

// Tile size from the view and the slides' shape: on a phone the tiles take most of the width and
// the rows most of the height; elsewhere a share of the view that depends on the number of rows.
export function tileSize(view, rows, columns, aspect) {
  var rowsHigh = rows + (rows - 1) * 0.12;
  var tileH;
  if (isPhoneWidth(view.width)) {
    tileH = Math.min(view.width * 0.6 / aspect, view.height * 0.62 / rowsHigh);
  } else {
    var share = rows === 1 ? 0.34 : rows === 2 ? 0.25 : 0.19;
    tileH = Math.max(60, Math.min(view.height * share, view.width * share / aspect, 240, 320 / aspect));
    if (columns <= 4) {
      // A short wall shows whole, with room to breathe at both sides.
      tileH = Math.min(tileH, (view.width * 0.84 / columns) / 1.12 / aspect);
    }
  }
  tileH = Math.round(Math.max(36, tileH));
  return { width: Math.round(tileH * aspect), height: tileH };
}

// The arc the columns stand on for tiles of this size in a view this wide: the gap between
// tiles, the pitch from column to column, the arc's radius, the angle per column, and the
// distance the wall is seen from, far enough that near columns never loom over their neighbours,
// even with the few large tiles of a phone.
export function arcFor(width, tile) {
  var gap = Math.round(Math.min(tile.width, tile.height) * 0.12);
  var pitch = tile.width + gap;
  var radius = Math.max(width * 1.15, pitch * 6);
  return {
    gap: gap,
    pitch: pitch,
    radius: radius,
    step: pitch / radius,
    perspective: Math.round(Math.max(width * 0.95, pitch * 4.5))
  };
}

// Where a point `offset` columns away from the centre of the view shows on screen.
export function projectedX(arc, offset) {
  var angle = offset * arc.step;
  var x = arc.radius * Math.sin(angle);
  var z = arc.radius * (1 - Math.cos(angle));
  return z >= arc.perspective * 0.92 ? Infinity : x * arc.perspective / (arc.perspective - z);
}

// span: columns either side of the centre that reach the screen (plus a spare one), kept in the
// page. reach: columns either side that show whole, the view's margin for the current slide.
// lead: how far from the centre the first column stands when the wall starts, so that the wall
// begins just inside the left edge of the view.
export function viewReach(arc, width) {
  var half = width / 2;
  var reach = 0;
  for (var k = 1; k < 200; k++) {
    if (projectedX(arc, k + 0.5) <= half - 8) {
      reach = k;
    }
    if (projectedX(arc, k - 0.5) > half) {
      break;
    }
  }
  var low = 0;
  var high = k;
  var margin = Math.max(16, width * 0.03);
  for (var i = 0; i < 30; i++) {
    var middle = (low + high) / 2;
    if (projectedX(arc, middle + 0.5) <= half - margin) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return { reach: reach, span: k + 1, lead: low };
}

// The wall's positions run from the first to the last column at the centre of the view: a short
// wall stands centred; a long one starts with its first column at the left edge.
export function firstPosition(lead, columns) {
  return Math.min(lead, (columns - 1) / 2);
}

// The columns a wall standing at `position` keeps in the page: `span` either side of it.
export function columnsAround(position, span, columns) {
  return { first: Math.max(0, Math.floor(position) - span), last: Math.min(columns - 1, Math.ceil(position) + span) };
}

export function showsFullImage(tileWidth, pixelRatio) {
  return tileWidth * pixelRatio > THUMB_WIDTH * SHARP_FACTOR;
}

// The tiles a wall of `count` slides first puts in a view, before it has learned the slides'
// shape: slides `first` to `end` (exclusive), and whether they show the full images.
export function startTiles(view, count, pixelRatio) {
  var rows = rowsFor(count);
  var columns = Math.ceil(count / rows);
  var size = tileSize(view, rows, columns, START_ASPECT);
  var arc = arcFor(view.width, size);
  var reach = viewReach(arc, view.width);
  var around = columnsAround(firstPosition(reach.lead, columns), reach.span, columns);
  return { first: around.first * rows, end: Math.min(count, (around.last + 1) * rows), sharp: showsFullImage(size.width, pixelRatio) };
}

export function lastPosition(lead, columns) {
  return Math.max(columns - 1 - lead, (columns - 1) / 2);
}

// Past either end a dragged wall gives way reluctantly.
export function resisted(position, min, max) {
  if (position < min) {
    return min + (position - min) * 0.3;
  }
  return position > max ? max + (position - max) * 0.3 : position;
}

// Columns per millisecond that a drag leaves the wall with, from its last samples ({t, p}): none
// when the pointer rested before it let go.
export function releaseVelocity(samples, releasedAt) {
  var a = samples[0];
  var b = samples[samples.length - 1];
  var elapsed = b.t - a.t;
  var recent = releasedAt - b.t < 80;
  return clamp(elapsed > 0 && recent ? (b.p - a.p) / elapsed : 0, -0.08, 0.08);
}

// Pixels a wheel event turns the wall by: its larger axis, in lines of 32 pixels or pages of the
// given width where the event counts in those.
export function wheelPixels(event, pageWidth) {
  var unit = event.deltaMode === 1 ? 32 : event.deltaMode === 2 ? pageWidth : 1;
  return (Math.abs(event.deltaX) > Math.abs(event.deltaY) ? event.deltaX : event.deltaY) * unit;
}

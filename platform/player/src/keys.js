// Keys: arrows, Page Up/Down, Home and End browse the wall and the viewer; Enter (or Space on a
// tile) opens; Escape goes back; + - 0 zoom the viewer, F is full screen, ? lists the keys. When
// the focus is on the wall, it follows the current slide.

var VIEWER_STEPS = { ArrowLeft: -1, PageUp: -1, ArrowRight: 1, PageDown: 1, ' ': 1 };
var ZOOM_KEYS = { '+': 1, '=': 1, '-': -1, _: -1 };
// A zoomed slide pans by this share of its frame per arrow key.
var PAN_SHARE = 0.15;
var PANS = { ArrowLeft: [1, 0], ArrowRight: [-1, 0], ArrowUp: [0, 1], ArrowDown: [0, -1] };

function has(map, key) {
  return Object.prototype.hasOwnProperty.call(map, key);
}

// On a right-to-left wall the left arrow goes on and the right arrow back.
export function mirroredKey(key, rtl) {
  if (!rtl) {
    return key;
  }
  return key === 'ArrowLeft' ? 'ArrowRight' : key === 'ArrowRight' ? 'ArrowLeft' : key;
}

// What a key does in the viewer: { zoom: 1 | -1 }, { reset }, { pan: [dx, dy] } (shares of the
// frame; arrows pan a zoomed slide, in screen directions), { index } (which may lie past either
// end); null for a key that is not the viewer's. viewer: { index, count, zoomed, rtl }.
export function viewerAction(key, viewer) {
  if (has(ZOOM_KEYS, key)) {
    return { zoom: ZOOM_KEYS[key] };
  }
  if (key === '0') {
    return { reset: true };
  }
  if (viewer.zoomed && has(PANS, key)) {
    return { pan: [PANS[key][0] * PAN_SHARE, PANS[key][1] * PAN_SHARE] };
  }
  var index = viewerTarget(mirroredKey(key, viewer.rtl), viewer.index, viewer.count);
  return index === null ? null : { index: index };
}

// The slide a key asks the viewer for (which may lie past either end), or null for a key that is
// not the viewer's.
export function viewerTarget(key, index, count) {
  if (has(VIEWER_STEPS, key)) {
    return index + VIEWER_STEPS[key];
  }
  return key === 'Home' ? 0 : key === 'End' ? count - 1 : null;
}

// What a key does on the wall: { column } makes a column current, { row } steps within the
// column, { index } goes to a slide, { open } opens the current slide; null for other keys.
// wall: { cursor, reach, count }; target: { tag, onTile } of the element the key was pressed on.
export function wallAction(key, wall, target) {
  var page = 2 * wall.reach + 1;
  var actions = {
    ArrowRight: { column: wall.cursor + 1 },
    ArrowLeft: { column: wall.cursor - 1 },
    ArrowUp: { row: -1 },
    ArrowDown: { row: 1 },
    PageDown: { column: wall.cursor + page },
    PageUp: { column: wall.cursor - page },
    Home: { index: 0 },
    End: { index: wall.count - 1 }
  };
  if (has(actions, key)) {
    return actions[key];
  }
  var opens = key === 'Enter' ? !/^(BUTTON|A|INPUT)$/.test(target.tag) : key === ' ' && target.onTile;
  return opens ? { open: true } : null;
}

function wallKey(wall, key, element) {
  var target = {
    tag: element.tagName,
    onTile: !!(element && element.classList && element.classList.contains('mw-tile'))
  };
  var state = { cursor: wall.cursor, reach: wall.reach, count: wall.slides.length };
  var action = wallAction(mirroredKey(key, wall.mirror < 0), state, target);
  if (!action) {
    return false;
  }
  if ('column' in action) {
    wall.moveCursor(action.column);
  } else if ('row' in action) {
    wall.moveRow(action.row);
  } else if ('index' in action) {
    wall.showIndex(action.index);
  } else {
    wall.onOpen(wall.currentIndex());
  }
  return true;
}

function viewerKey(lightbox, key) {
  var zoom = lightbox.zoom;
  var action = viewerAction(key, { index: lightbox.index, count: lightbox.slides.length,
    zoomed: zoom.isZoomed(), rtl: lightbox.forward < 0 });
  if (!action) {
    return false;
  }
  if (action.zoom) {
    zoom.zoomStep(action.zoom);
  } else if (action.reset) {
    zoom.reset();
  } else if (action.pan) {
    var size = zoom.size();
    zoom.panBy(action.pan[0] * size.width, action.pan[1] * size.height);
  } else {
    lightbox.show(action.index);
  }
  return true;
}

// Escape puts away the innermost thing first: a panel (they open over the viewer), the zoom, then
// the viewer.
function escape(lightbox, panels) {
  var openPanel = panels.filter(function (panel) { return panel.isOpen(); })[0];
  if (openPanel) {
    openPanel.close();
  } else if (lightbox && lightbox.isOpen() && lightbox.zoom.isZoomed()) {
    lightbox.zoom.reset();
  } else if (lightbox && lightbox.isOpen()) {
    lightbox.close();
  }
}

// Keys of the whole page: ? for the key list and F for full screen (where the page has it).
function pageKey(key, page) {
  if (key === '?' && page.help) {
    page.help.toggle();
    return true;
  }
  if ((key === 'f' || key === 'F') && page.fullScreen) {
    page.fullScreen();
    return true;
  }
  return false;
}

// page: { help (the key list's panel, or null), fullScreen (or null) }.
export function bindKeys(root, wall, lightbox, panels, page) {
  document.addEventListener('keydown', function (event) {
    if (event.altKey || event.ctrlKey || event.metaKey) {
      return;
    }
    var key = event.key;
    if (key === 'Escape') {
      escape(lightbox, panels);
      return;
    }
    if (event.target && event.target.tagName === 'INPUT') {
      return;
    }
    if (pageKey(key, page)) {
      event.preventDefault();
      return;
    }
    if (!wall) {
      return;
    }
    if (lightbox.isOpen()) {
      if (viewerKey(lightbox, key)) {
        event.preventDefault();
      }
      return;
    }
    root.dataset.keyboard = '1';
    wall.wantsFocus = wall.hasFocus();
    wall.keyRepeating = event.repeat;
    if (wallKey(wall, key, event.target)) {
      event.preventDefault();
      wall.markCurrent();
    } else {
      wall.wantsFocus = false;
    }
  });
}

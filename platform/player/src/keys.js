// Keys: arrows, Page Up/Down, Home and End browse the wall and the viewer; Enter (or Space on a
// tile) opens; Escape goes back. When the focus is on the wall, it follows the current slide.

var VIEWER_STEPS = { ArrowLeft: -1, PageUp: -1, ArrowRight: 1, PageDown: 1, ' ': 1 };

// The slide a key asks the viewer for (which may lie past either end), or null for a key that is
// not the viewer's.
export function viewerTarget(key, index, count) {
  if (Object.prototype.hasOwnProperty.call(VIEWER_STEPS, key)) {
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
  if (Object.prototype.hasOwnProperty.call(actions, key)) {
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
  var action = wallAction(key, { cursor: wall.cursor, reach: wall.reach, count: wall.slides.length }, target);
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
  var index = viewerTarget(key, lightbox.index, lightbox.slides.length);
  if (index === null) {
    return false;
  }
  lightbox.show(index);
  return true;
}

export function bindKeys(root, wall, lightbox, panels) {
  document.addEventListener('keydown', function (event) {
    if (event.altKey || event.ctrlKey || event.metaKey) {
      return;
    }
    var key = event.key;
    var openPanel = panels.filter(function (panel) { return panel.isOpen(); })[0];
    if (key === 'Escape') {
      if (lightbox && lightbox.isOpen()) {
        lightbox.close();
      } else if (openPanel) {
        openPanel.close();
      }
      return;
    }
    if (!wall || (event.target && event.target.tagName === 'INPUT')) {
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

// Keys: arrows, Page Up/Down, Home and End browse the wall and the viewer; Enter (or Space on a
// tile) opens; Escape goes back. When the focus is on the wall, it follows the current slide.

function viewerKey(lightbox, key) {
  var last = lightbox.slides.length - 1;
  var steps = { ArrowLeft: -1, PageUp: -1, ArrowRight: 1, PageDown: 1, ' ': 1 };
  if (key in steps) {
    lightbox.show(lightbox.index + steps[key]);
  } else if (key === 'Home') {
    lightbox.show(0);
  } else if (key === 'End') {
    lightbox.show(last);
  } else {
    return false;
  }
  return true;
}

function wallKey(wall, key, target) {
  var onTile = !!(target && target.classList && target.classList.contains('mw-tile'));
  var opens = key === 'Enter' ? !/^(BUTTON|A|INPUT)$/.test(target.tagName) : key === ' ' && onTile;
  if (key === 'ArrowRight') {
    wall.moveCursor(wall.cursor + 1);
  } else if (key === 'ArrowLeft') {
    wall.moveCursor(wall.cursor - 1);
  } else if (key === 'ArrowUp') {
    wall.moveRow(-1);
  } else if (key === 'ArrowDown') {
    wall.moveRow(1);
  } else if (key === 'PageDown') {
    wall.moveCursor(wall.cursor + 2 * wall.reach + 1);
  } else if (key === 'PageUp') {
    wall.moveCursor(wall.cursor - 2 * wall.reach - 1);
  } else if (key === 'Home') {
    wall.showIndex(0);
  } else if (key === 'End') {
    wall.showIndex(wall.slides.length - 1);
  } else if (opens) {
    wall.onOpen(wall.currentIndex());
  } else {
    return false;
  }
  return true;
}

function bindKeys(root, wall, lightbox, panels) {
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

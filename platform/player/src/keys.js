// Keys: arrows, Page Up/Down, Home and End browse; Enter opens; Escape goes back.

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
      if (key === 'ArrowLeft' || key === 'PageUp') {
        lightbox.show(lightbox.index - 1);
      } else if (key === 'ArrowRight' || key === 'PageDown' || key === ' ') {
        lightbox.show(lightbox.index + 1);
      } else {
        return;
      }
      event.preventDefault();
      return;
    }
    var handled = true;
    root.dataset.keyboard = '1';
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
      wall.moveCursor(0);
    } else if (key === 'End') {
      wall.moveCursor(wall.columns - 1);
    } else if (key === 'Enter' && event.target.tagName !== 'BUTTON' && event.target.tagName !== 'A') {
      lightbox.show(wall.currentIndex());
    } else {
      handled = false;
    }
    if (handled) {
      event.preventDefault();
      wall.markCurrent();
    }
  });
}

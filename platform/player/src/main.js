// Start-up: the style sheet, the index, then the whole page.

import CSS from '../player.css';
import { applyBackground, parseBackground } from './background.js';
import { buildChrome } from './chrome.js';
import { el } from './dom.js';
import { buildEmpty, buildFooter } from './footer.js';
import { parseGallery } from './gallery_index.js';
import { HostBridge } from './host_bridge.js';
import { bindKeys } from './keys.js';
import { loadIndex } from './loading.js';
import { slidesOf } from './paths.js';
import { Lightbox } from './viewer.js';
import { Wall } from './wall.js';

function addStyle() {
  var style = document.createElement('style');
  style.textContent = CSS;
  document.head.appendChild(style);
}

function start(root, loaded) {
  var gallery = parseGallery(loaded.text);
  var settings = gallery.settings;
  var slides = slidesOf(gallery);
  var bridge = new HostBridge();
  root.textContent = '';
  root.dataset.source = loaded.source;
  root.dataset.slides = String(slides.length);

  var backdrop = el('div', 'mw-backdrop', root);
  el('div', 'mw-shade', root);
  // The top bar and its panels come first in the page, so that Tab reaches them before the wall.
  var panels = buildChrome(root, settings, bridge);
  var stage = el('div', 'mw-stage', root);
  stage.setAttribute('role', 'main');
  var wall = null;
  var lightbox = null;
  if (slides.length) {
    var showPosition = buildFooter(root);
    lightbox = new Lightbox(root, slides, function (index) {
      wall.wantsFocus = true;
      wall.showIndex(index);
    }, function () { return wall.aspect; });
    wall = new Wall(root, stage, slides, function (index) {
      panels.forEach(function (panel) { panel.close(); });
      lightbox.show(index);
    }, showPosition);
    var resizeTimer = 0;
    window.addEventListener('resize', function () {
      clearTimeout(resizeTimer);
      resizeTimer = setTimeout(function () { wall.layout(); }, 60);
    });
  } else {
    buildEmpty(stage, loaded.source === 'none' || !/<gallery\b/.test(loaded.text));
  }

  // The background picture is asked for after the first thumbnails.
  applyBackground(backdrop, parseBackground(settings.back_ground));
  bindKeys(root, wall, lightbox, panels);
  // The highlight of the current slide is for keyboard use; a pointer hides it. A press on the
  // wall while a panel is open only puts the panel away.
  root.addEventListener('pointerdown', function (event) {
    root.dataset.keyboard = '0';
    if (wall) {
      wall.markCurrent();
    }
    var openPanels = panels.filter(function (panel) { return panel.isOpen(); });
    if (openPanels.length && stage.contains(event.target)) {
      openPanels.forEach(function (panel) { panel.close(); });
      event.stopPropagation();
    }
  }, true);
  root.dataset.state = 'ready';
}

// The index is asked for as soon as the script runs; the page is built once the document is ready.
var indexLoad = loadIndex();

function boot() {
  var root = document.getElementById('murano-wall');
  if (!root) {
    root = el('div', '', document.body);
    root.id = 'murano-wall';
  }
  addStyle();
  root.dataset.state = 'loading';
  indexLoad.then(function (loaded) {
    start(root, loaded);
  });
}

if (document.readyState === 'loading') {
  document.addEventListener('DOMContentLoaded', boot);
} else {
  boot();
}

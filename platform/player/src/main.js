// Start-up: the style sheet, the index, then the whole page.

import CSS from '../player.css';
import { autoplaySeconds, Slideshow } from './autoplay.js';
import { applyBackground, parseBackground } from './background.js';
import { buildChrome } from './chrome.js';
import { el, iconButton } from './dom.js';
import { buildEmpty, buildFooter } from './footer.js';
import { parseGallery } from './gallery_index.js';
import { HostBridge } from './host_bridge.js';
import { bindKeys } from './keys.js';
import { loadIndex } from './loading.js';
import { slidesOf } from './paths.js';
import { preparePrint } from './print.js';
import { followFragment, linkedSlide, offerResume, readingHooks } from './reading.js';
import { Lightbox } from './viewer.js';
import { Wall } from './wall.js';

function addStyle() {
  var style = document.createElement('style');
  style.textContent = CSS;
  document.head.appendChild(style);
}

// The wall, its viewer and slideshow, and what opens the viewer at the start: a link to a slide,
// a slideshow that plays from the start, else the offer to continue where the reader stopped.
function buildPlayer(root, stage, slides, chrome, settings, rtl) {
  var wall = null;
  var seconds = autoplaySeconds(settings.autoplay);
  var slideshow = null;
  var lightbox = new Lightbox(root, slides, {
    onShow: readingHooks.shown,
    onClose: function (index) {
      readingHooks.closed();
      slideshow.pause();
      wall.wantsFocus = true;
      wall.showIndex(index);
    },
    wallAspect: function () { return wall.aspect; }
  }, rtl);
  var open = function (index) {
    wall.showIndex(index);
    wall.onOpen(index);
  };
  slideshow = new Slideshow(root, lightbox, seconds, function () { open(wall.currentIndex()); });
  lightbox.element.appendChild(slideshow.makeButton('mw-viewer-play'));
  if (chrome.share) {
    // Shares the address of the slide in view.
    var share = iconButton('share', 'Share this slide', 'mw-viewer-share');
    share.addEventListener('click', chrome.share);
    lightbox.element.appendChild(share);
  }
  var showPosition = buildFooter(root, slideshow.makeButton('mw-wall-play'));
  wall = new Wall(root, stage, slides, function (index) {
    chrome.panels.forEach(function (panel) { panel.close(); });
    lightbox.show(index);
  }, showPosition, rtl);
  var resizeTimer = 0;
  window.addEventListener('resize', function () {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(function () { wall.layout(); }, 60);
  });
  preparePrint(root, slides, lightbox);
  followFragment(slides.length, open);
  var begin = function () {
    var linked = linkedSlide(slides.length);
    if (linked >= 0 || seconds) {
      open(Math.max(0, linked));
      if (seconds) {
        slideshow.play();
      }
    } else {
      offerResume(root, slides.length, open);
    }
  };
  return { wall: wall, lightbox: lightbox, begin: begin };
}

function start(root, loaded) {
  var gallery = parseGallery(loaded.text);
  var settings = gallery.settings;
  var slides = slidesOf(gallery);
  var bridge = new HostBridge();
  var rtl = String(settings.direction || '').trim().toLowerCase() === 'rtl';
  root.textContent = '';
  root.dir = rtl ? 'rtl' : 'ltr';
  root.dataset.source = loaded.source;
  root.dataset.slides = String(slides.length);

  var backdrop = el('div', 'mw-backdrop', root);
  el('div', 'mw-shade', root);
  // The top bar and its panels come first in the page, so that Tab reaches them before the wall.
  var chrome = buildChrome(root, settings, bridge, rtl);
  var stage = el('div', 'mw-stage', root);
  stage.setAttribute('role', 'main');
  var player = slides.length ? buildPlayer(root, stage, slides, chrome, settings, rtl) : null;
  if (!player) {
    buildEmpty(stage, loaded.source === 'none' || !/<gallery\b/.test(loaded.text));
  }

  // The background picture is asked for after the first thumbnails.
  applyBackground(backdrop, parseBackground(settings.back_ground));
  bindKeys(root, player && player.wall, player && player.lightbox, chrome.panels, chrome);
  closePanelsOnWall(root, stage, player && player.wall, chrome.panels);
  root.dataset.state = 'ready';
  if (player) {
    player.begin();
  }
}

// The highlight of the current slide is for keyboard use; a pointer hides it. A press on the
// wall while a panel is open only puts the panel away.
function closePanelsOnWall(root, stage, wall, panels) {
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

// Start-up: the style sheet, the index, the wall and its first pictures, then the whole page.

import CSS from '../player.css';
import { autoplaySeconds, Slideshow } from './autoplay.js';
import { applyBackground, parseBackground } from './background.js';
import { buildChrome } from './chrome.js';
import { el, iconButton } from './dom.js';
import { buildEmpty, buildFooter } from './footer.js';
import { readIndex } from './gallery_index.js';
import { HostBridge } from './host_bridge.js';
import { bindKeys } from './keys.js';
import { loadIndex, loadWords } from './loading.js';
import { preparePrint } from './print.js';
import { followFragment, linkedSlide, offerResume, readingHooks } from './reading.js';
import { Search } from './search.js';
import { Lightbox } from './viewer.js';
import { ViewerWords } from './viewer_words.js';
import { Wall } from './wall.js';
import { parseWords } from './words.js';

// The longest the rest of the page waits for the first tiles' pictures.
var FIRST_PICTURES_MS = 400;

function addStyle() {
  var style = document.createElement('style');
  style.textContent = CSS;
  document.head.appendChild(style);
}

// The wall first: its tiles ask for their thumbnails before anything else is built (a picture's
// request goes out once the script that made it has run, so the rest is built a moment later).
function buildWall(root, stage, slides, rtl) {
  var player = { wall: null, lightbox: null, viewerWords: null, showPosition: null, panels: [] };
  player.wall = new Wall(root, stage, slides, function (index) {
    player.panels.forEach(function (panel) { panel.close(); });
    player.lightbox.show(index);
  }, function (index, count, progress) {
    if (player.showPosition) {
      player.showPosition(index, count, progress);
    }
  }, rtl);
  return player;
}

// The viewer and the slideshow around the wall, and what opens the viewer at the start: a link to
// a slide, a slideshow that plays from the start, else the offer to continue where the reader
// stopped.
function completePlayer(player, root, chrome, settings, rtl) {
  var wall = player.wall;
  var slides = wall.slides;
  var seconds = autoplaySeconds(settings.autoplay);
  var slideshow = null;
  var lightbox = player.lightbox = new Lightbox(root, slides, {
    onShow: function (index) {
      readingHooks.shown(index);
      if (player.viewerWords) {
        player.viewerWords.show(index);
      }
    },
    onClose: function (index) {
      readingHooks.closed();
      slideshow.pause();
      wall.wantsFocus = true;
      wall.showIndex(index);
    },
    wallAspect: function () { return wall.aspect; }
  }, rtl);
  player.panels = chrome.panels;
  var open = function (index) {
    wall.showIndex(index);
    wall.onOpen(index);
  };
  slideshow = new Slideshow(root, lightbox, seconds, function () { open(wall.currentIndex()); });
  addViewerButtons(lightbox, slideshow, chrome);
  player.showPosition = buildFooter(root, slideshow.makeButton('mw-wall-play'));
  wall.render();
  var resizeTimer = 0;
  window.addEventListener('resize', function () {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(function () { wall.layout(); }, 60);
  });
  preparePrint(root, slides, lightbox);
  // The words come after the wall's first pictures were asked for; the wall plays without them.
  loadWords().then(function (text) {
    addWords(player, root, chrome, parseWords(text, slides), open);
  });
  followFragment(slides.length, open);
  var linked = linkedSlide(slides.length);
  if (linked >= 0 || seconds) {
    open(Math.max(0, linked));
    if (seconds) {
      slideshow.play();
    }
  } else {
    offerResume(root, slides.length, open);
  }
}

// The deck's words: titles on the tiles, text, links and notes in the viewer, and search.
function addWords(player, root, chrome, words, open) {
  root.dataset.words = words ? 'ready' : 'none';
  if (!words) {
    return;
  }
  var lightbox = player.lightbox;
  player.wall.setTitles(words.slides.map(function (slide) { return slide.title; }));
  player.viewerWords = new ViewerWords(lightbox, words, function (index) { lightbox.show(index); });
  if (lightbox.isOpen()) {
    player.viewerWords.show(lightbox.index);
  }
  new Search(root, chrome, words, open);
}

function addViewerButtons(lightbox, slideshow, chrome) {
  lightbox.element.appendChild(slideshow.makeButton('mw-viewer-play'));
  if (chrome.share) {
    // Shares the address of the slide in view.
    var share = iconButton('share', 'Share this slide', 'mw-viewer-share');
    share.addEventListener('click', chrome.share);
    lightbox.element.appendChild(share);
  }
}

function start(root, loaded) {
  var index = readIndex(loaded.text);
  var settings = index.gallery.settings;
  var slides = index.slides;
  var rtl = String(settings.direction || '').trim().toLowerCase() === 'rtl';
  root.textContent = '';
  root.dir = rtl ? 'rtl' : 'ltr';
  root.dataset.source = loaded.source;
  root.dataset.slides = String(slides.length);
  var stage = el('div', 'mw-stage', root);
  stage.setAttribute('role', 'main');
  var player = slides.length ? buildWall(root, stage, slides, rtl) : null;
  var completed = false;
  var complete = function () {
    if (!completed) {
      completed = true;
      completePage(root, stage, player, settings, loaded);
    }
  };
  if (player) {
    afterFirstPictures(player.wall, complete);
  } else {
    Promise.resolve().then(complete);
  }
}

// The first frame shows the first tiles alone: the rest of the page is built once their pictures
// are in (or have taken too long) and that frame is drawn, so that neither its building nor its
// first layout holds the pictures back. `complete` may be called more than once.
function afterFirstPictures(wall, complete) {
  wall.whenFirstPictures(FIRST_PICTURES_MS, function () {
    // A hidden page draws no frames: it goes on after a moment all the same.
    setTimeout(complete, 100);
    requestAnimationFrame(function () { setTimeout(complete, 0); });
  });
}

function completePage(root, stage, player, settings, loaded) {
  var rtl = root.dir === 'rtl';
  // The backdrop, the top bar and its panels come first in the page, so that Tab reaches them
  // before the wall.
  var top = document.createDocumentFragment();
  var backdrop = el('div', 'mw-backdrop', top);
  el('div', 'mw-shade', top);
  var chrome = buildChrome(top, settings, new HostBridge(), rtl);
  root.insertBefore(top, stage);
  if (player) {
    completePlayer(player, root, chrome, settings, rtl);
  } else {
    root.dataset.words = 'none';
    buildEmpty(stage, loaded.source === 'none' || !/<gallery\b/.test(loaded.text));
  }
  // The background picture is asked for after the first thumbnails.
  applyBackground(backdrop, parseBackground(settings.back_ground));
  bindKeys(root, player && player.wall, player && player.lightbox, chrome.panels, chrome);
  closePanelsOnWall(root, stage, player && player.wall, chrome.panels);
  root.dataset.state = 'ready';
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

// The index is asked for as soon as the script runs, and the style sheet goes in (the page's own
// copy of the deck's words is hidden from the start); the page is built once the document is ready.
var indexLoad = loadIndex();
addStyle();

function boot() {
  var root = document.getElementById('murano-wall');
  if (!root) {
    root = el('div', '', document.body);
    root.id = 'murano-wall';
  }
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

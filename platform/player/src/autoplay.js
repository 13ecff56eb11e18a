// The slideshow: the viewer moves on by itself every few seconds. It pauses at any action of the
// reader and when the page is hidden, and stops at the last slide.

import { iconButton, setIcon, setLabel } from './dom.js';

export var DEFAULT_SECONDS = 5;
var MIN_SECONDS = 0.25;
var MAX_SECONDS = 3600;

// The interval the index's autoplay value asks for, in seconds, or null when it asks for none
// ("off", empty, or anything that is not a positive number).
export function autoplaySeconds(value) {
  var text = String(value == null ? '' : value).trim();
  if (!/^[0-9]{1,6}(\.[0-9]{1,3})?$/.test(text) || Number(text) <= 0) {
    return null;
  }
  return Math.min(MAX_SECONDS, Math.max(MIN_SECONDS, Number(text)));
}

// openAt() opens the viewer at the slide the wall is on.
export function Slideshow(root, lightbox, seconds, openAt) {
  this.root = root;
  this.lightbox = lightbox;
  this.interval = (seconds || DEFAULT_SECONDS) * 1000;
  this.openAt = openAt;
  this.buttons = [];
  this.playing = false;
  this.timer = 0;
  root.dataset.playing = '0';
  this.listenForReader();
}

Slideshow.prototype.makeButton = function (className) {
  var self = this;
  var button = iconButton('play', 'Play slideshow', 'mw-play ' + className);
  button.addEventListener('click', function () { self.toggle(); });
  this.buttons.push(button);
  return button;
};

Slideshow.prototype.ownsTarget = function (target) {
  return this.buttons.some(function (button) { return button.contains(target); });
};

// Any other press, key or wheel of the reader pauses; so does a page put out of sight.
Slideshow.prototype.listenForReader = function () {
  var self = this;
  var pause = function (event) {
    if (self.playing && !self.ownsTarget(event.target)) {
      self.pause();
    }
  };
  this.root.addEventListener('pointerdown', pause, true);
  this.root.addEventListener('wheel', pause, { capture: true, passive: true });
  document.addEventListener('keydown', function (event) {
    var activates = event.key === 'Enter' || event.key === ' ';
    if (!(activates && self.ownsTarget(event.target))) {
      pause(event);
    }
  }, true);
  document.addEventListener('visibilitychange', function () {
    if (document.hidden && self.playing) {
      self.pause();
    }
  });
};

Slideshow.prototype.toggle = function () {
  if (this.playing) {
    this.pause();
  } else {
    this.play();
  }
};

// Plays from the slide in view; from the first one when the viewer is at the last.
Slideshow.prototype.play = function () {
  var lightbox = this.lightbox;
  if (!lightbox.isOpen()) {
    this.openAt();
  } else if (lightbox.index === lightbox.slides.length - 1) {
    lightbox.show(0);
  }
  this.setPlaying(lightbox.index < lightbox.slides.length - 1);
};

Slideshow.prototype.pause = function () {
  this.setPlaying(false);
};

Slideshow.prototype.setPlaying = function (playing) {
  var self = this;
  clearTimeout(this.timer);
  this.playing = playing;
  this.root.dataset.playing = playing ? '1' : '0';
  this.buttons.forEach(function (button) {
    setIcon(button, playing ? 'pause' : 'play');
    setLabel(button, playing ? 'Pause slideshow' : 'Play slideshow');
  });
  if (playing) {
    this.timer = setTimeout(function () { self.step(); }, this.interval);
  }
};

Slideshow.prototype.step = function () {
  var lightbox = this.lightbox;
  if (!this.playing || !lightbox.isOpen()) {
    this.pause();
    return;
  }
  lightbox.show(lightbox.index + 1);
  this.setPlaying(lightbox.index < lightbox.slides.length - 1);
};

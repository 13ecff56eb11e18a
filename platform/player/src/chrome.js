// The page around the wall: logo, title, buttons and their panels.

import { DEFAULTS } from './attributes.js';
import { el, icon, iconButton, setIcon, setLabel } from './dom.js';
import { fillHelp } from './help.js';
import { fileUrl, findFile, isRelativePath, isShown, mailLink, webLink } from './paths.js';

// A panel beside its button: closed, it is hidden from every reader and out of the tab order.
export function Panel(root, name, label) {
  var self = this;
  this.button = null;
  this.opener = null;
  this.siblings = [];
  this.element = el('div', 'mw-panel mw-unused mw-' + name + '-panel', root);
  this.element.id = 'mw-' + name + '-panel';
  this.element.setAttribute('role', 'dialog');
  this.element.setAttribute('aria-label', label);
  this.element.tabIndex = -1;
  this.element.inert = true;
  var close = el('button', 'mw-close', this.element);
  close.type = 'button';
  close.setAttribute('aria-label', 'Close');
  close.appendChild(icon('close'));
  close.addEventListener('click', function () { self.close(); });
  this.body = el('div', '', this.element);
}

Panel.prototype.isOpen = function () {
  return this.element.classList.contains('mw-open');
};

// An opened panel takes the focus, so that its content comes next for Tab and a screen reader;
// a closed one gives it back to its button.
Panel.prototype.setOpen = function (open) {
  var hadFocus = this.element.contains(document.activeElement);
  if (open) {
    this.opener = document.activeElement;
    this.element.classList.remove('mw-unused');
  }
  this.element.classList.toggle('mw-open', open);
  this.element.inert = !open;
  if (open) {
    this.element.focus({ preventScroll: true });
  }
  if (this.button) {
    this.button.setAttribute('aria-expanded', String(open));
  }
  if (!open && hadFocus) {
    // Back to the button, or to where the focus was when a key opened the panel.
    var back = this.button && !this.button.closest('[inert]') && this.button.offsetParent ? this.button : this.opener;
    if (back && back.focus) {
      back.focus({ preventScroll: true });
    }
  }
};

// Panels open one at a time.
Panel.prototype.toggle = function () {
  var self = this;
  this.siblings.forEach(function (other) {
    if (other !== self) {
      other.close();
    }
  });
  this.setOpen(!this.isOpen());
};

Panel.prototype.close = function () {
  if (this.isOpen()) {
    this.setOpen(false);
  }
};

Panel.prototype.attachButton = function (button) {
  this.button = button;
  button.setAttribute('aria-controls', this.element.id);
  button.setAttribute('aria-expanded', 'false');
};

function fillInfo(panel, settings) {
  var body = panel.body;
  var any = false;
  var line = function (tag, className, text) {
    if (!text) {
      return null;
    }
    any = true;
    var node = el(tag, className, body);
    node.textContent = text;
    return node;
  };
  line('h2', 'mw-book-title', settings.book_title);
  line('p', 'mw-byline', settings.display_name);
  line('p', 'mw-description', settings.description);
  var contact = function (iconName, text, href, className) {
    if (!text) {
      return;
    }
    any = true;
    var row = el('div', 'mw-contact ' + className, body);
    row.appendChild(icon(iconName));
    var target = el(href ? 'a' : 'span', '', row);
    target.textContent = text;
    if (href) {
      target.href = href;
      if (href.indexOf('mailto:') !== 0) {
        target.target = '_blank';
        target.rel = 'noopener noreferrer';
      }
    }
  };
  contact('mail', settings.email, mailLink(settings.email), 'mw-email');
  contact('globe', settings.website, webLink(settings.website), 'mw-website');
  if (!any) {
    line('p', 'mw-muted', 'No book information has been given.');
  }
}

function fillShare(panel) {
  var label = el('p', 'mw-label', panel.body);
  label.textContent = 'Share this wall';
  var row = el('div', 'mw-share-row', panel.body);
  var address = el('input', 'mw-address', row);
  address.type = 'text';
  address.readOnly = true;
  address.value = location.href;
  address.setAttribute('aria-label', 'Address of this page');
  var copy = el('button', 'mw-copy', row);
  copy.type = 'button';
  copy.textContent = 'Copy';
  copy.addEventListener('click', function () {
    address.select();
    var done = function () { copy.textContent = 'Copied'; };
    if (navigator.clipboard && window.isSecureContext) {
      navigator.clipboard.writeText(address.value).then(done, function () {
        if (document.execCommand('copy')) {
          done();
        }
      });
    } else if (document.execCommand('copy')) {
      done();
    }
  });
  return address;
}

function isFullScreen() {
  return !!(document.fullscreenElement || document.webkitFullscreenElement);
}

function togglePageFullScreen() {
  var doc = document.documentElement;
  if (isFullScreen()) {
    (document.exitFullscreen || document.webkitExitFullscreen).call(document);
  } else if (doc.requestFullscreen) {
    doc.requestFullscreen().catch(function () { /* refused without a user gesture */ });
  } else if (doc.webkitRequestFullscreen) {
    doc.webkitRequestFullscreen();
  }
}

// Full screen is offered by every page in a browser that allows it (a frame needs
// allowfullscreen); inside murano's preview only where the index shows its button.
function offersFullScreen(settings, bridge) {
  if (bridge.state !== 'none') {
    return isShown(settings.btn_fullscreen, DEFAULTS.btn_fullscreen);
  }
  return !!(document.fullscreenEnabled || document.webkitFullscreenEnabled);
}

// The top bar; returns its buttons' row, its panels, the key list's panel, and the full-screen and
// share actions (each null where the page has none).
export function buildChrome(root, settings, bridge, rtl) {
  var bar = el('div', 'mw-topbar', root);
  bar.setAttribute('role', 'banner');
  buildLogo(bar, settings);
  var title = el(settings.book_title ? 'h1' : 'div', 'mw-title', bar);
  title.textContent = settings.book_title;
  var buttons = el('div', 'mw-buttons', bar);
  var made = buildButtons(root, buttons, settings, bridge);
  var panels = made.panels;
  var fullScreen = offersFullScreen(settings, bridge) ? function () {
    bridge.send('fullScreen', togglePageFullScreen);
  } : null;
  if (fullScreen) {
    var full = iconButton('fullscreen', 'Full screen', 'mw-fullscreen-button');
    full.addEventListener('click', fullScreen);
    buttons.appendChild(full);
    followFullScreen(full);
  }
  var help = new Panel(root, 'help', 'Keys and gestures');
  fillHelp(help, rtl, !!fullScreen);
  var helpButton = iconButton('help', 'Keys and gestures', 'mw-help-button');
  helpButton.addEventListener('click', function () { help.toggle(); });
  buttons.appendChild(helpButton);
  help.attachButton(helpButton);
  panels.push(help);
  panels.forEach(function (panel) { panel.siblings = panels; });
  return { buttons: buttons, panels: panels, help: help, fullScreen: fullScreen, share: made.share };
}

// The logo, linked where the index gives a web address; a logo file that cannot be found leaves
// no empty frame behind.
function buildLogo(bar, settings) {
  if (isShown(settings.logo_visible, DEFAULTS.logo_visible) && isRelativePath(String(settings.logo_img).trim())) {
    var link = webLink(settings.logo_link);
    var holder = el(link ? 'a' : 'span', 'mw-logo', bar);
    if (link) {
      holder.href = link;
      holder.target = '_blank';
      holder.rel = 'noopener noreferrer';
    }
    var logo = el('img', '', holder);
    logo.alt = 'Logo';
    logo.draggable = false;
    // Hidden until its picture has loaded: an image without a source shows a broken frame.
    holder.hidden = true;
    logo.onload = function () { holder.hidden = false; };
    findFile(String(settings.logo_img).trim().replace(/\\/g, '/'), function (path) {
      logo.src = fileUrl(path);
    }, function () {
      holder.remove();
    });
  }
}

// The info, share and reload buttons the index shows, and the panels of info and share; returns
// the panels and the share action (null without a share button).
function buildButtons(root, buttons, settings, bridge) {
  var panels = [];
  var shareNow = null;
  var add = function (attribute, name, label, action) {
    if (!isShown(settings[attribute], DEFAULTS[attribute])) {
      return null;
    }
    var button = iconButton(name, label, 'mw-' + name + '-button');
    button.addEventListener('click', action);
    buttons.appendChild(button);
    return button;
  };
  if (isShown(settings.btn_info, DEFAULTS.btn_info)) {
    var info = new Panel(root, 'info', 'Book information');
    fillInfo(info, settings);
    panels.push(info);
    info.attachButton(add('btn_info', 'info', 'Book information', function () { info.toggle(); }));
  }
  if (isShown(settings.btn_share, DEFAULTS.btn_share)) {
    var share = new Panel(root, 'share', 'Share');
    var address = fillShare(share);
    panels.push(share);
    var showShare = function () {
      address.value = location.href;
      share.toggle();
      if (share.isOpen()) {
        address.focus();
        address.select();
      }
    };
    shareNow = function () { shareSheet(showShare); };
    share.attachButton(add('btn_share', 'share', 'Share', shareNow));
  }
  add('btn_reload', 'reload', 'Reload', function () {
    bridge.send('reload', function () { location.reload(); });
  });
  return { panels: panels, share: shareNow };
}

// The full-screen button says what it will do.
function followFullScreen(full) {
  var sync = function () {
    var on = isFullScreen();
    setIcon(full, on ? 'exitFullscreen' : 'fullscreen');
    setLabel(full, on ? 'Leave full screen' : 'Full screen');
  };
  document.addEventListener('fullscreenchange', sync);
  document.addEventListener('webkitfullscreenchange', sync);
}

// Where the browser has a system share sheet (phones mostly), Share opens it; the panel with the
// address to copy is the fallback, also when the sheet fails for another reason than the user
// closing it.
function shareSheet(fallback) {
  if (typeof navigator.share !== 'function') {
    fallback();
    return;
  }
  navigator.share({ title: document.title, url: location.href }).catch(function (error) {
    if (!error || error.name !== 'AbortError') {
      fallback();
    }
  });
}

// Paths and links from the index: relative paths inside the published folder only, web and mail
// links only, and the fallbacks for files published under lower-case names.

import { DEFAULTS } from './attributes.js';

// Relative paths only: the player never reaches outside the folder it was published in.
export function isRelativePath(path) {
  return path !== '' && !/^[a-zA-Z][a-zA-Z0-9+.-]*:/.test(path) && path.indexOf('//') !== 0;
}

function folderOf(value, fallback) {
  var folder = String(value || '').trim().replace(/\\/g, '/');
  if (!isRelativePath(folder)) {
    return fallback;
  }
  return folder.charAt(folder.length - 1) === '/' ? folder : folder + '/';
}

// Index paths name files; each segment is escaped as it stands. Most paths hold nothing to escape,
// and a wall of many slides asks for two of them a slide as it starts.
function encodePath(path) {
  return /^[\w.!~*'()/-]*$/.test(path) ? path : path.split('/').map(encodeURIComponent).join('/');
}

// Files on disk may be replaced under the same name while a host shows the page (a new
// background, a new import); a token per page load keeps such pages from showing stale copies.
export var freshToken = location.protocol === 'file:' ? '?v=' + Date.now().toString(36) : '';

export function fileUrl(path) {
  return encodePath(path) + freshToken;
}

export function slidesOf(gallery) {
  var images = gallery.settings.imagesFolder = folderOf(gallery.settings.imagesFolder, DEFAULTS.imagesFolder);
  var thumbs = gallery.settings.thumbnailsFolder = folderOf(gallery.settings.thumbnailsFolder, DEFAULTS.thumbnailsFolder);
  var slides = [];
  // line: the slide's image line in the index, which the deck's words are matched by.
  gallery.images.forEach(function (src, line) {
    src = String(src).trim().replace(/\\/g, '/');
    if (isRelativePath(src)) {
      slides.push({ name: src, image: fileUrl(images + src), thumb: fileUrl(thumbs + src), line: line });
    }
  });
  return slides;
}

export function cssUrl(path) {
  return 'url("' + fileUrl(path).replace(/["\\\n\r\f]/g, function (c) {
    return '\\' + c.charCodeAt(0).toString(16) + ' ';
  }) + '")';
}

// Published copies keep their data files under lower-case names, while the index keeps the
// name as chosen ("logo/logo.PNG"): an image that does not load is looked for in lower case.
export function findFile(path, found, missing) {
  var probe = new Image();
  var lower = path.toLowerCase();
  probe.onload = function () {
    found(probe.dataset.path);
  };
  probe.onerror = function () {
    if (probe.dataset.path !== lower) {
      probe.dataset.path = lower;
      probe.src = fileUrl(lower);
    } else {
      missing();
    }
  };
  probe.dataset.path = path;
  probe.src = fileUrl(path);
}

export function isShown(value, fallback) {
  value = String(value == null ? '' : value).trim();
  if (value === '1') {
    return true;
  }
  return value === '0' ? false : fallback === '1';
}

// Links from the index open web pages only; a scheme-less address is taken as a web address.
export function webLink(value) {
  var text = String(value || '').trim();
  if (!text) {
    return null;
  }
  if (/^https?:\/\//i.test(text)) {
    return text;
  }
  if (/^[a-zA-Z][a-zA-Z0-9+.-]*:/.test(text) || /\s/.test(text)) {
    return null;
  }
  return 'http://' + text.replace(/^\/+/, '');
}

export function mailLink(value) {
  var text = String(value || '').trim();
  return /^[^\s@<>"]+@[^\s@<>"]+$/.test(text) ? 'mailto:' + text : null;
}

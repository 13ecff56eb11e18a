// Reading the gallery index: its start tag's settings and its image lines, from well-formed XML or
// from an index whose values were written with raw quotes, ampersands or angle brackets.

import { ATTRIBUTES, DEFAULTS } from './attributes.js';
import { freshToken, slidesOf } from './paths.js';

var XML_ENTITIES = { lt: '<', gt: '>', amp: '&', quot: '"', apos: "'" };

function decodeEntities(text) {
  return text.replace(/&(#x[0-9a-fA-F]+|#[0-9]+|[a-zA-Z]+);/g, function (whole, name) {
    if (name.charAt(0) === '#') {
      var code = name.charAt(1) === 'x' || name.charAt(1) === 'X' ? parseInt(name.slice(2), 16) : parseInt(name.slice(1), 10);
      return code > 0 && code <= 0x10ffff && !(code >= 0xd800 && code <= 0xdfff) ? String.fromCodePoint(code) : whole;
    }
    return Object.prototype.hasOwnProperty.call(XML_ENTITIES, name) ? XML_ENTITIES[name] : whole;
  });
}

function parseWellFormed(text) {
  var doc;
  try {
    doc = new DOMParser().parseFromString(text, 'application/xml');
  } catch {
    return null;
  }
  var root = doc.documentElement;
  if (!root || root.nodeName !== 'gallery' || doc.getElementsByTagName('parsererror').length) {
    return null;
  }
  var settings = {};
  ATTRIBUTES.forEach(function (name) {
    if (root.hasAttribute(name)) {
      settings[name] = root.getAttribute(name);
    }
  });
  var images = [];
  var nodes = root.getElementsByTagName('img');
  for (var i = 0; i < nodes.length; i++) {
    images.push(nodes[i].getAttribute('src') || '');
  }
  return { settings: settings, images: images };
}

// An index written with raw quotes, ampersands or angle brackets in its values is not XML. Its
// start tag is still read: each known attribute's value runs up to where the next known attribute
// (or the end of the tag) begins, so a quote inside a value does not end it.
function parseLenient(text) {
  var settings = {};
  var images = [];
  var start = text.indexOf('<gallery');
  if (start < 0) {
    return { settings: settings, images: images };
  }
  var rest = text.slice(start + '<gallery'.length);
  // The start tag ends at the ">" that the first image line or the end tag follows, on the same
  // line or the next: a ">" typed inside a value is followed by more text.
  var close = /\s*>\s*(?=<img\b|<\/gallery>|$)/.exec(rest);
  var tag = close ? rest.slice(0, close.index) : rest;
  var pattern = new RegExp('(^|\\s)(' + ATTRIBUTES.join('|') + ')\\s*=\\s*"', 'g');
  var found = [];
  var match;
  while ((match = pattern.exec(tag)) !== null) {
    found.push({ name: match[2], nameAt: match.index + match[1].length, valueAt: pattern.lastIndex });
  }
  found.forEach(function (item, i) {
    var end = i + 1 < found.length ? found[i + 1].nameAt : tag.length;
    var raw = tag.slice(item.valueAt, end).replace(/\s+$/, '');
    if (raw.charAt(raw.length - 1) === '"') {
      raw = raw.slice(0, -1);
    }
    if (!(item.name in settings)) {
      settings[item.name] = decodeEntities(raw);
    }
  });
  var body = close ? rest.slice(close.index + close[0].length) : '';
  var imagePattern = /<img\b[^>]*?\bsrc\s*=\s*"([^"]*)"/g;
  while ((match = imagePattern.exec(body)) !== null) {
    images.push(decodeEntities(match[1]));
  }
  return { settings: settings, images: images };
}

export function parseGallery(text) {
  text = String(text || '').replace(/^\ufeff/, '');
  var parsed = parseWellFormed(text) || parseLenient(text);
  var settings = {};
  Object.keys(DEFAULTS).forEach(function (name) {
    settings[name] = name in parsed.settings ? parsed.settings[name] : DEFAULTS[name];
  });
  return { settings: settings, images: parsed.images };
}

// The index's settings and slides. The page's first script reads the index as soon as it arrives
// (to ask for the first tiles' pictures) and leaves its reading on the window; the player takes
// that reading over instead of reading a large index a second time.
export function readIndex(text) {
  var kept = window.muranoIndexRead;
  window.muranoIndexRead = null;
  if (!kept || kept.text !== text || kept.token !== freshToken) {
    var gallery = parseGallery(text);
    kept = { text: text, token: freshToken, gallery: gallery, slides: slidesOf(gallery) };
  }
  return kept;
}

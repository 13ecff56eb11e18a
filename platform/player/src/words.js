// The deck's words beside the index (xml/words.json): each slide's title, text, speaker notes,
// picture descriptions and links, matched to the wall's slides by their image line. The file may
// have been edited by hand, so everything is checked again here: texts are plain text without
// control characters, links keep web and mail addresses and jumps to slides of the wall only.

var MAX_TEXT = 65536;
var MAX_LINKS = 200;
var LANGUAGE = /^[A-Za-z]{1,8}(-[A-Za-z0-9]{1,8})*$/;
var LINK_SCHEMES = ['http:', 'https:', 'mailto:'];

// Text as shown: control characters (but line ends and tabs) gone, a lone half of a surrogate
// pair replaced, at most MAX_TEXT characters.
export function plainText(value) {
  if (typeof value !== 'string') {
    return '';
  }
  return value.slice(0, MAX_TEXT).replace(/\r\n?/g, '\n').replace(/\t/g, ' ')
    .replace(/[^\n\P{Cc}]/gu, '')
    .replace(/[\ud800-\udbff](?![\udc00-\udfff])|(^|[^\ud800-\udbff])[\udc00-\udfff]/g, function (whole, before) {
      return (before || '') + '\ufffd';
    });
}

// A web or mail address as the browser reads it, or null for any other scheme (javascript:,
// data:, file:, relative addresses).
export function safeUrl(value) {
  if (typeof value !== 'string' || /\p{Cc}/u.test(value)) {
    return null;
  }
  var url;
  try {
    url = new URL(value.trim());
  } catch {
    return null;
  }
  return LINK_SCHEMES.indexOf(url.protocol) >= 0 ? url.href : null;
}

function fraction(value) {
  return typeof value === 'number' && isFinite(value) ? Math.min(1, Math.max(0, value)) : NaN;
}

// A link's rectangle inside the slide, in fractions from the top left, or null when it has no area.
function linkArea(link) {
  var x = fraction(link.x);
  var y = fraction(link.y);
  var w = Math.min(fraction(link.w), 1 - x);
  var h = Math.min(fraction(link.h), 1 - y);
  return w > 0 && h > 0 ? { x: x, y: y, w: w, h: h } : null;
}

// A link as the viewer makes it: { x, y, w, h } and url, or slide (the wall's slide, from 0).
function checkedLink(link, slideOfLine) {
  var area = link && typeof link === 'object' ? linkArea(link) : null;
  if (!area) {
    return null;
  }
  if ('url' in link) {
    area.url = safeUrl(link.url);
    return area.url ? area : null;
  }
  var line = Number.isInteger(link.slide) ? link.slide - 1 : -1;
  area.slide = line >= 0 && line < slideOfLine.length ? slideOfLine[line] : -1;
  return area.slide >= 0 ? area : null;
}

function slideWords(entry, index, slideOfLine) {
  entry = entry && typeof entry === 'object' ? entry : {};
  var title = plainText(entry.title).replace(/\s+/g, ' ').trim();
  var links = Array.isArray(entry.links) ? entry.links.slice(0, MAX_LINKS) : [];
  return {
    title: title || 'Slide ' + (index + 1),
    text: plainText(entry.text),
    notes: plainText(entry.notes),
    alt: (Array.isArray(entry.alt) ? entry.alt : []).map(plainText).filter(Boolean),
    links: links.map(function (link) { return checkedLink(link, slideOfLine); }).filter(Boolean)
  };
}

// The words of the wall's slides (one entry per slide, in the wall's order), the deck's language
// (a language tag, or '') and whether any slide has notes; null without a usable file.
export function parseWords(text, slides) {
  var deck;
  try {
    deck = JSON.parse(String(text || '').replace(/^\ufeff/, ''));
  } catch {
    return null;
  }
  if (!deck || typeof deck !== 'object' || !Array.isArray(deck.slides)) {
    return null;
  }
  // A jump names an image line of the index (from 1); the wall may have left lines out.
  var slideOfLine = [];
  slides.forEach(function (slide, index) { slideOfLine[slide.line] = index; });
  for (var i = 0; i < slideOfLine.length; i++) {
    slideOfLine[i] = slideOfLine[i] === undefined ? -1 : slideOfLine[i];
  }
  var entries = slides.map(function (slide, index) {
    return slideWords(deck.slides[slide.line], index, slideOfLine);
  });
  var language = typeof deck.language === 'string' && LANGUAGE.test(deck.language) ? deck.language : '';
  return {
    language: language,
    slides: entries,
    hasNotes: entries.some(function (entry) { return entry.notes.trim() !== ''; })
  };
}

// Whether a title is only the stand-in a slide without text gets.
export function isStandInTitle(title) {
  return /^Slide [0-9]+$/.test(title);
}

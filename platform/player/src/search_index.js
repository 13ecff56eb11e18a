// Searching the deck's words: every slide's title, text and picture descriptions folded once
// (lower case, accents and other marks gone, compatibility forms such as ligatures spelled out), so
// that a query costs a few substring scans of the folded texts. A query's words must all appear in
// a slide, in any order.

var SNIPPET_BEFORE = 40;
var SNIPPET_LENGTH = 150;
var SPELLED_OUT = { '\u00df': 'ss', '\u00e6': 'ae', '\u0153': 'oe', '\u00f8': 'o', '\u0142': 'l', '\u0111': 'd',
  '\u0131': 'i' };
var MARKS = /\p{M}/gu;
var SPACE = /\s/;

var folds = new Map();

// One character (a code point) folded: lower case without marks; white space becomes a space.
function foldCharacter(c) {
  var folded = folds.get(c);
  if (folded === undefined) {
    folded = SPACE.test(c) ? ' ' : c.normalize('NFKD').replace(MARKS, '').toLowerCase();
    folded = SPELLED_OUT[folded] || folded;
    folds.set(c, folded);
  }
  return folded;
}

// Calls visit(folded, from, to) for each run of ASCII (folded null) and each other character (a
// code point) of the text.
function eachCharacter(text, visit) {
  var runStart = 0;
  for (var i = 0; i < text.length; i++) {
    if (text.charCodeAt(i) >= 0x80) {
      visit(null, runStart, i);
      var code = text.charCodeAt(i);
      var wide = code >= 0xd800 && code <= 0xdbff && i + 1 < text.length ? 2 : 1;
      visit(foldCharacter(text.substr(i, wide)), i, i + wide);
      i += wide - 1;
      runStart = i + 1;
    }
  }
  visit(null, runStart, text.length);
}

// The position in the text of every folded character, for a text whose characters do not all fold
// into one character each.
function positions(text) {
  var map = [];
  eachCharacter(text, function (folded, from, to) {
    for (var i = from; i < to && folded === null; i++) {
      map.push(i);
    }
    for (var k = 0; folded !== null && k < folded.length; k++) {
      map.push(from);
    }
  });
  return map;
}

var FOLDED_APART = /[A-Z\t\n\v\f\r]|[^\0-\x7f]+/g;

// A text folded, and whether every character stayed one character (as in plain ASCII), so that
// positions in the folded text are positions in the text.
export function fold(text) {
  var same = true;
  var folded = text.replace(FOLDED_APART, function (part) {
    if (part.length === 1 && part.charCodeAt(0) < 0x80) {
      return part.charCodeAt(0) < 65 ? ' ' : part.toLowerCase();
    }
    var run = '';
    for (var i = 0; i < part.length; i++) {
      var wide = part.charCodeAt(i) >= 0xd800 && part.charCodeAt(i) <= 0xdbff && i + 1 < part.length ? 2 : 1;
      var one = foldCharacter(part.substr(i, wide));
      same = same && one.length === wide;
      run += one;
      i += wide - 1;
    }
    return run;
  });
  return { text: folded, same: same };
}

// The words of a query, folded.
export function queryTerms(query) {
  return fold(String(query || '')).text.split(' ').filter(Boolean);
}

function hasAll(haystack, terms) {
  for (var i = 0; i < terms.length; i++) {
    if (haystack.indexOf(terms[i]) < 0) {
      return false;
    }
  }
  return true;
}

// entries: [{ title, text, alt: [] }] in the wall's order.
export function SearchIndex(entries) {
  this.slides = entries.map(function (entry) {
    var body = [entry.text].concat(entry.alt).filter(Boolean).join('\n');
    var source = entry.title + '\n' + body;
    var folded = fold(source);
    // Where a folded character lies in the text, found when a snippet needs it.
    return { title: entry.title, source: source, bodyStart: entry.title.length + 1, folded: folded.text,
      map: folded.same ? null : undefined };
  });
  this.last = { query: null, found: [] };
}

// The slides (from 0, in the wall's order) whose words hold every word of the query. Typing on
// narrows the last answer instead of searching the whole deck again.
SearchIndex.prototype.find = function (query) {
  var terms = queryTerms(query);
  var key = terms.join(' ');
  if (!terms.length) {
    this.last = { query: null, found: [] };
    return [];
  }
  var slides = this.slides;
  var candidates = this.last.query !== null && key.indexOf(this.last.query) === 0 ? this.last.found : null;
  var found = [];
  var count = candidates ? candidates.length : slides.length;
  for (var i = 0; i < count; i++) {
    var index = candidates ? candidates[i] : i;
    if (hasAll(slides[index].folded, terms)) {
      found.push(index);
    }
  }
  this.last = { query: key, found: found };
  return found;
};

// The text's position of a folded position, and of the end of a folded range (which takes in the
// whole of a character folded into several).
function sourceAt(slide, at) {
  return slide.map ? (at < slide.map.length ? slide.map[at] : slide.source.length) : at;
}

function sourceEnd(slide, end) {
  if (!slide.map || end === 0) {
    return end;
  }
  var last = slide.map[end - 1];
  while (end < slide.map.length && slide.map[end] === last) {
    end++;
  }
  return sourceAt(slide, end);
}

// A snippet starts and ends between words where one is near.
function wordBounds(folded, start, end, first, bodyStart) {
  var space = folded.indexOf(' ', start);
  if (start > bodyStart && space >= 0 && space < first[0]) {
    start = space + 1;
  }
  var cut = folded.lastIndexOf(' ', end);
  if (end < folded.length && cut > first[1]) {
    end = cut;
  }
  return [start, end];
}

// Where the query's words lie in the folded text between from and to, in order: [[start, end]].
function hits(folded, terms, from, to) {
  var found = [];
  terms.forEach(function (term) {
    for (var at = folded.indexOf(term, from); at >= 0 && at < to; at = folded.indexOf(term, at + term.length)) {
      found.push([at, at + term.length]);
    }
  });
  return found.sort(function (a, b) { return a[0] - b[0]; });
}

// A piece of the slide's text around the first word of the query found in it (the title is shown
// on its own): { before, after (whether text was left out there), pieces: [{ text, mark }] }.
SearchIndex.prototype.snippet = function (index, query) {
  var slide = this.slides[index];
  if (slide.map === undefined) {
    slide.map = positions(slide.source);
  }
  var terms = queryTerms(query);
  var bodyFolded = slide.map ? slide.map.indexOf(slide.bodyStart) : slide.bodyStart;
  bodyFolded = bodyFolded < 0 ? slide.folded.length : bodyFolded;
  var first = hits(slide.folded, terms, bodyFolded, slide.folded.length)[0] || [bodyFolded, bodyFolded];
  var start = Math.max(bodyFolded, first[0] - SNIPPET_BEFORE);
  var bounds = wordBounds(slide.folded, start, Math.min(slide.folded.length, start + SNIPPET_LENGTH), first, bodyFolded);
  start = bounds[0];
  var end = bounds[1];
  var pieces = [];
  var at = start;
  var from = sourceAt(slide, start);
  // Up to the folded position to, a mark taking in the whole of its last character.
  var piece = function (to, mark) {
    var upTo = Math.max(from, mark ? sourceEnd(slide, to) : sourceAt(slide, to));
    pieces.push({ text: slide.source.slice(from, upTo), mark: mark });
    from = upTo;
  };
  hits(slide.folded, terms, start, end).forEach(function (hit) {
    if (hit[0] >= at) {
      piece(hit[0], false);
      at = Math.min(hit[1], end);
      piece(at, true);
    }
  });
  piece(end, false);
  return {
    before: start > bodyFolded,
    after: end < slide.folded.length,
    pieces: pieces.filter(function (part) { return part.text; })
  };
};

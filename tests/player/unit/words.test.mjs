// The pure parts of the deck's words in the player: the checks a hand-edited words file passes
// again, and the search's folding, matching and snippets.
import test from 'node:test';
import assert from 'node:assert/strict';
import { parseWords, plainText, safeUrl } from '../../../platform/player/src/words.js';
import { SearchIndex, fold } from '../../../platform/player/src/search_index.js';

test('only web and mail addresses are links, as a browser reads them', () => {
  const cases = { 'https://example.org/a?b#c': 'https://example.org/a?b#c', ' http://x.org ': 'http://x.org/',
    'mailto:a@b.org': 'mailto:a@b.org', 'javascript:alert(1)': null, ' JaVaScRiPt:alert(1)': null,
    'java\nscript:alert(1)': null, 'java\tscript:x': null, 'data:text/html,x': null, 'file:///etc/passwd': null,
    '//evil.org/': null, '/relative': null, 'vbscript:x': null, '': null };
  for (const [url, expected] of Object.entries(cases)) {
    assert.equal(safeUrl(url), expected, JSON.stringify(url));
  }
  assert.equal(safeUrl(42), null);
});

test('texts lose control characters and unpaired surrogates, keep line ends', () => {
  assert.equal(plainText('a\u0000b\u0007c\r\nd\te\u009f\u007f'), 'abc\nd e');
  assert.equal(plainText('x\ud800y\udc00z\ud83d\ude00'), 'x\ufffdy\ufffdz\ud83d\ude00');
  assert.equal(plainText({ toString: () => '<b>' }), '');
});

test('words match the wall\'s slides by image line; links are checked and renumbered', () => {
  const slides = [{ line: 0 }, { line: 2 }];
  const words = parseWords(JSON.stringify({ language: 'he" onload="x', slides: [
    { title: '  ', notes: 'n', links: [{ x: 0.75, y: -1, w: 0.5, h: 2, url: 'https://a.org/' }, { x: 0, y: 0, w: 1, h: 1, slide: 3 },
      { x: 0, y: 0, w: 1, h: 1, slide: 2 }, { x: 0, y: 0, w: 1, h: 1, slide: '3' }, { x: 0, y: 0, w: 0, h: 1, url: 'https://a.org/' },
      { x: 'a', y: 0, w: 1, h: 1, url: 'https://a.org/' }] },
    { title: 'Left out' }, { title: 'Third', alt: ['pic', 5, ''] }] }), slides);
  assert.equal(words.language, '');
  assert.equal(words.hasNotes, true);
  assert.deepEqual(words.slides.map((s) => s.title), ['Slide 1', 'Third']);
  assert.deepEqual(words.slides[0].links, [{ x: 0.75, y: 0, w: 0.25, h: 1, url: 'https://a.org/' }, { x: 0, y: 0, w: 1, h: 1, slide: 1 }]);
  assert.deepEqual(words.slides[1].alt, ['pic']);
  for (const bad of ['', 'not json', '[]', '{"slides": {}}', 'null']) {
    assert.equal(parseWords(bad, slides), null, bad);
  }
});

test('search folds case, accents and compatibility forms; every word of the query must appear', () => {
  assert.deepEqual(fold('Ça\tﬁt STRASSE'), { text: 'ca fit strasse', same: false });
  assert.deepEqual(fold('Plain ASCII'), { text: 'plain ascii', same: true });
  const index = new SearchIndex([
    { title: 'Résumé', text: 'Die Straße', alt: [] },
    { title: 'Other', text: 'résumé of STRASSE', alt: ['a ﬁne picture'] },
    { title: 'Ελληνικά', text: 'ΆΛΦΑ', alt: [] }]);
  const cases = { RESUME: [0, 1], strasse: [0, 1], 'strasse other': [1], fine: [1], 'άλφα': [2], alfa: [], αλφα: [2],
    '': [], '  ': [] };
  for (const [query, expected] of Object.entries(cases)) {
    assert.deepEqual(index.find(query), expected, query);
  }
  // Narrowing a grown query gives what a fresh search gives.
  assert.deepEqual(index.find('s'), [0, 1]);
  assert.deepEqual(index.find('st o'), [1]);
  assert.deepEqual(new SearchIndex([{ title: 'x', text: 'st o', alt: [] }]).find('st o'), [0]);
});

test('a snippet shows the text around the first word found, the words marked as written', () => {
  const index = new SearchIndex([{ title: 'Straße', text: 'Die große Straße führt zur STRASSE.', alt: [] },
    { title: 'Long', text: 'word '.repeat(40) + 'target ' + 'tail '.repeat(60), alt: [] }]);
  const marked = (snippet) => snippet.pieces.filter((p) => p.mark).map((p) => p.text);
  const first = index.snippet(0, 'strasse');
  assert.deepEqual(marked(first), ['Straße', 'STRASSE']);
  assert.equal(first.pieces.map((p) => p.text).join(''), 'Die große Straße führt zur STRASSE.');
  assert.equal(first.before, false);
  const long = index.snippet(1, 'TARGET');
  assert.deepEqual(marked(long), ['target']);
  assert.ok(long.before && long.after);
  assert.match(long.pieces[0].text, /^word /, 'it starts at a word');
  assert.deepEqual(index.snippet(0, 'nothing').pieces.map((p) => p.text), ['Die große Straße führt zur STRASSE.']);
});

// The gallery index as the player reads it: the start tag's settings with their defaults, image
// lines, an index that is not XML, background values and the paths and links it may hold.
import test from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';

// The player's paths carry a token against stale copies only when the page comes from disk.
globalThis.location = { protocol: 'http:' };
globalThis.DOMParser = undefined;
const { parseGallery, readIndex } = await import('../../../platform/player/src/gallery_index.js');
const { slidesOf, webLink, mailLink, isShown } = await import('../../../platform/player/src/paths.js');
const { parseBackground } = await import('../../../platform/player/src/background.js');

const table = JSON.parse(readFileSync(new URL('../../../platform/player/index_attributes.json', import.meta.url)));
const defaults = Object.fromEntries(table.attributes.map((a) => [a.name, a.default]));

test('every setting missing from the start tag takes the table\'s default', () => {
  const gallery = parseGallery('<gallery book_title="Week 12" >\n<img src="1.jpg" />\n</gallery>');
  assert.deepEqual(gallery.settings, { ...defaults, book_title: 'Week 12' });
  assert.deepEqual(gallery.images, ['1.jpg']);
  assert.deepEqual(parseGallery('').settings, defaults);
  assert.deepEqual(parseGallery(null).images, []);
});

// Without a DOM parser (as here) every index goes through the lenient reader, which also reads
// what the program wrote with raw quotes, ampersands and angle brackets in its values.
test('values with raw quotes, ampersands and angle brackets keep their text', () => {
  const cases = [
    ['book_title="Q&A: "best" <of> 2024" email="a@b.org" ', { book_title: 'Q&A: "best" <of> 2024', email: 'a@b.org' }],
    ['book_title="A > B" ', { book_title: 'A > B' }],
    ['description="&lt;b&gt; &amp; &#x263A; &#9731; &#xD800; &bogus;" ', { description: '<b> & \u263a \u2603 &#xD800; &bogus;' }],
    ['book_title="first" book_title="second" ', { book_title: 'first' }],
    ['unknown="x" website="www.example.org" ', { website: 'www.example.org' }]
  ];
  for (const [tag, expected] of cases) {
    const gallery = parseGallery('\ufeff<?xml version="1.0"?>\n<gallery ' + tag + '>\n<img src="a&amp;b.jpg" />\n</gallery>');
    assert.deepEqual(gallery.settings, { ...defaults, ...expected }, tag);
    assert.deepEqual(gallery.images, ['a&b.jpg'], tag);
  }
});

test('an index on one line loses no image', () => {
  const gallery = parseGallery('<gallery logo_visible="0" ><img src="1.jpg" /><img src="2.jpg"/></gallery>');
  assert.equal(gallery.settings.logo_visible, '0');
  assert.deepEqual(gallery.images, ['1.jpg', '2.jpg']);
});

test('slides are relative paths inside the published folder, escaped per segment, and keep their line', () => {
  const gallery = parseGallery('<gallery imagesFolder="pics\\" thumbnailsFolder="http://evil/" >' +
    '<img src="a b/1.jpg" /><img src="/etc/passwd" /><img src="//host/x.jpg" /><img src="javascript:x" />' +
    '<img src="sub\\2#.jpg" /><img src="it\'s_(1)!~*.jpg" /><img src="100%.jpg" /></gallery>');
  assert.deepEqual(slidesOf(gallery), [
    { name: 'a b/1.jpg', image: 'pics/a%20b/1.jpg', thumb: 'wallimages/thumbs/a%20b/1.jpg', line: 0 },
    { name: '/etc/passwd', image: 'pics//etc/passwd', thumb: 'wallimages/thumbs//etc/passwd', line: 1 },
    { name: 'sub/2#.jpg', image: 'pics/sub/2%23.jpg', thumb: 'wallimages/thumbs/sub/2%23.jpg', line: 4 },
    { name: "it's_(1)!~*.jpg", image: "pics/it's_(1)!~*.jpg", thumb: "wallimages/thumbs/it's_(1)!~*.jpg", line: 5 },
    { name: '100%.jpg', image: 'pics/100%25.jpg', thumb: 'wallimages/thumbs/100%25.jpg', line: 6 }
  ]);
});

test('the player takes over the page\'s first reading of the same index only, once', () => {
  globalThis.window = {};
  const text = '<gallery><img src="1.jpg" /></gallery>';
  const first = window.muranoIndexRead = readIndex(text);
  assert.equal(readIndex(text), first);
  assert.equal(window.muranoIndexRead, null);
  window.muranoIndexRead = first;
  const other = readIndex('<gallery><img src="2.jpg" /></gallery>');
  assert.notEqual(other, first);
  assert.deepEqual(other.slides.map((slide) => slide.name), ['2.jpg']);
});

test('links open web pages and mail only', () => {
  assert.equal(webLink('www.example.org'), 'http://www.example.org');
  assert.equal(webLink(' HTTPS://example.org/a '), 'HTTPS://example.org/a');
  assert.equal(webLink('//example.org'), 'http://example.org');
  for (const refused of ['', 'javascript:alert(1)', 'file:///etc', 'two words']) {
    assert.equal(webLink(refused), null, refused);
  }
  assert.equal(mailLink('team@example.org'), 'mailto:team@example.org');
  assert.equal(mailLink('a@b@c'), null);
  assert.equal(mailLink('x<y@z'), null);
});

test('a button shows for "1", hides for "0" and keeps its default for anything else', () => {
  assert.deepEqual(['1', ' 0 ', 'yes', '', null].map((v) => isShown(v, '1')), [true, false, true, true, true]);
  assert.deepEqual(['1', 'no'].map((v) => isShown(v, '0')), [true, false]);
});

test('background values: colour, gradient, picture, or the default stage', () => {
  const cases = [
    ['0{0xFF8800}', { kind: 'colour', colour: '#ff8800' }],
    ['0{#00ff00}', { kind: 'colour', colour: '#00ff00' }],
    ['1{0x000000,0xFFFFFF,45}', { kind: 'gradient', from: '#000000', to: '#ffffff', angle: 45 }],
    ['1{0x000000,0xFFFFFF}', { kind: 'gradient', from: '#000000', to: '#ffffff', angle: 90 }],
    ['2{background\\sky, one.jpg,tile}', { kind: 'image', path: 'background/sky, one.jpg', position: 'titl' }],
    ['2{background/sky.jpg,STRETCH}', { kind: 'image', path: 'background/sky.jpg', position: 'stretch' }],
    ['2{background/sky.jpg,sideways}', { kind: 'image', path: 'background/sky.jpg', position: 'center' }],
    ['2{file:///etc/sky.jpg,center}', { kind: 'default' }],
    ['0{0xFF88}', { kind: 'default' }],
    ['1{red,blue,0}', { kind: 'default' }],
    ['3{0xFFFFFF}', { kind: 'default' }],
    ['', { kind: 'default' }]
  ];
  for (const [value, expected] of cases) {
    assert.deepEqual(parseBackground(value), expected, value);
  }
});

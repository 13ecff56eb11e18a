// The wall plays served over HTTP and opened straight from disk: over HTTP it reads the index
// itself, from disk (where the browser refuses to fetch it) its script twin.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support');

let browser;
let pictures;
const dirs = [];

before(async () => {
  browser = await s.launch();
  pictures = await s.drawSlides(browser.context, 2);
});

after(async () => {
  await browser.close();
  s.removeDirs(dirs);
});

function wall(options) {
  const dir = s.makeWall(Object.assign({ pictures }, options));
  dirs.push(dir);
  return dir;
}

async function loadedThumbnails(page) {
  await page.waitForFunction(() => [...document.querySelectorAll('.mw-card img')].every((i) => i.naturalWidth > 0));
  return page.$$eval('.mw-card img', (imgs) => imgs.length);
}

test('opened from disk, the wall comes from the script twin with its pictures', async () => {
  const images = s.numbered(7);
  const page = await s.openWall(browser.context, s.fileUrl(wall({ images, attributes: { book_title: 'Über "disk" \u2028 <tab>' } })));
  assert.equal(await page.getAttribute('#murano-wall', 'data-source'), 'script');
  assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '7');
  assert.equal(await page.textContent('.mw-title'), 'Über "disk" \u2028 <tab>');
  assert.equal(await loadedThumbnails(page), 7);
  await page.waitForFunction(() => document.querySelector('.mw-logo img').naturalWidth > 0);
  // The page's first script leaves pictures on disk to the tiles, whose addresses carry a token.
  assert.equal(await page.evaluate(() => window.muranoFirstPictures), undefined);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('opened from disk without a twin, the wall says its index could not be read', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(wall({ images: s.numbered(3), twin: false })));
  assert.equal(await page.getAttribute('#murano-wall', 'data-source'), 'none');
  assert.equal(await page.textContent('.mw-empty'), 'The slide index (xml/images.xml) could not be read.');
  assert.ok(await page.$('.mw-buttons'));
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('served over HTTP, the index itself wins over a stale twin', async () => {
  const images = s.numbered(5);
  const stale = s.twinText(s.indexText(s.numbered(2), { book_title: 'stale' }));
  const dir = wall({ images, twin: stale, attributes: { book_title: 'fresh' } });
  const server = await s.serve(dir);
  try {
    const page = await s.openWall(browser.context, server.url);
    assert.equal(await page.getAttribute('#murano-wall', 'data-source'), 'xml');
    // The index is asked for while the page is still being read, and no favicon is missing.
    assert.ok(await page.evaluate(() => performance.getEntriesByType('resource')
      .find((r) => /images\.xml/.test(r.name)).startTime < performance.getEntriesByType('navigation')[0].domInteractive));
    assert.deepEqual(server.requests.filter((r) => /favicon/.test(r)), []);
    assert.match(await page.getAttribute('link[rel="icon"]', 'href'), /^data:image\/svg\+xml,/);
    assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '5');
    assert.equal(await page.textContent('.mw-title'), 'fresh');
    assert.equal(await loadedThumbnails(page), 5);
    await page.click('.mw-tile[data-index="4"]');
    await page.waitForFunction(() => document.querySelector('.mw-lightbox img').naturalWidth === 960);
    await page.close();
  } finally {
    await server.close();
  }
});

// Keeps the pictures the page's first script hands to the player, which takes them over.
function keepEarlyPictures() {
  let handed = null;
  Object.defineProperty(window, 'muranoFirstPictures', {
    configurable: true,
    get: () => handed,
    set: (pictures) => {
      handed = pictures;
      window.earlyPictures = window.earlyPictures || (pictures && pictures.slice());
    }
  });
}

// The page's first script asks for the first tiles' pictures before the player has run: the very
// pictures the tiles show, thumbnails or, for tiles drawn large, the full images, each asked for
// once; the tiles take those very elements, and the player lets go of the list.
for (const { slides, size, folder } of [
  { slides: 60, size: { width: 855, height: 532 }, folder: '/wallimages/thumbs/' },
  { slides: 8, size: { width: 1600, height: 900 }, folder: '/wallimages/' }
]) {
  test(`served over HTTP, the first tiles' pictures are asked for early (${slides} slides, ${size.width} x ${size.height})`, async () => {
    const server = await s.serve(wall({ images: s.numbered(slides) }));
    try {
      const page = await s.openWall(browser.context, server.url, { size, init: keepEarlyPictures });
      const early = await page.evaluate(() => window.earlyPictures.map((img) => new URL(img.src).pathname));
      const shown = await page.$$eval('.mw-card img', (imgs) => imgs.map((img) => new URL(img.src).pathname));
      assert.ok(shown.length > 1, `${shown.length} tiles`);
      assert.deepEqual(early.slice().sort(), shown.slice().sort());
      assert.ok(await page.$$eval('.mw-card img', (imgs) => imgs.every((img) => window.earlyPictures.includes(img) &&
        img.classList.contains('mw-loaded'))), 'the tiles show the elements the first script loaded');
      assert.equal(await page.evaluate(() => window.muranoFirstPictures), null);
      assert.ok(early.every((p) => p.startsWith(folder) && !p.slice(folder.length).includes('/')), early.join());
      for (const picture of early) {
        assert.equal(server.requests.filter((r) => r === picture).length, 1, picture);
      }
      assert.deepEqual(page.errors, []);
      await page.close();
    } finally {
      await server.close();
    }
  });
}

test('served over HTTP without the index, the twin stands in', async () => {
  const dir = wall({ images: s.numbered(4) });
  require('node:fs').rmSync(require('node:path').join(dir, 'xml', 'images.xml'));
  const server = await s.serve(dir);
  try {
    const page = await s.openWall(browser.context, server.url + 'index.html');
    assert.equal(await page.getAttribute('#murano-wall', 'data-source'), 'script');
    assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '4');
    await page.close();
  } finally {
    await server.close();
  }
});

test('the template folder as built plays on its own', async () => {
  // Publishing rewrites the title on the page's fourth line and the meta lines after it.
  const lines = require('node:fs').readFileSync(require('node:path').join(s.FLASH_DIR, 'index.html'), 'utf8').split('\n');
  assert.match(lines[3], /^<title>[^<]*<\/title>$/);
  assert.match(lines[4], /^<meta name="keywords" content="[^"]*">$/);
  assert.match(lines[5], /^<meta name="description" content="[^"]*">$/);
  // The player runs whatever encoding a rewritten page declares.
  for (const name of ['swfobject.js', 'index.html']) {
    const text = require('node:fs').readFileSync(require('node:path').join(s.FLASH_DIR, name));
    assert.ok(text.every((byte) => byte < 0x80), `${name} is plain ASCII`);
  }
  const page = await s.openWall(browser.context, s.fileUrl(s.FLASH_DIR));
  assert.equal(await page.title(), 'Quorvex Murano');
  assert.equal(await page.getAttribute('#murano-wall', 'data-source'), 'script');
  assert.equal(await page.getAttribute('.mw-backdrop', 'data-mode'), 'image');
  await page.waitForFunction(() => document.querySelector('.mw-logo img').naturalWidth > 0);
  assert.deepEqual(page.errors, []);
  await page.close();
});

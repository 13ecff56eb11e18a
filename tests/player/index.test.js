// What the player reads from the gallery index: the slides of the image lines, the book information
// as text, and what it makes of empty, huge and malformed indexes.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support');

let browser;
let pictures;
const dirs = [];

before(async () => {
  browser = await s.launch();
  pictures = await s.drawSlides(browser.context, 3);
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

test('tiles follow the image lines in order, with thumbnails and full images from their folders', async () => {
  const images = ['3.jpg', '0.jpg', '12.jpg', '7.jpg', '1.jpg', '2.jpg', '4.jpg', '5.jpg', '6.jpg', '8.jpg'];
  const page = await s.openWall(browser.context, s.fileUrl(wall({ images })));
  assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '10');
  const tiles = await page.$$eval('.mw-tile', (nodes) => nodes.map((n) => ({
    index: Number(n.dataset.index),
    src: n.querySelector('.mw-card img').getAttribute('src'),
    loaded: n.querySelector('.mw-card img').naturalWidth
  })));
  assert.equal(tiles.length, images.length);
  for (const tile of tiles) {
    assert.match(tile.src, new RegExp(`^wallimages/thumbs/${images[tile.index].replace('.', '\\.')}(\\?|$)`));
  }
  await page.waitForFunction(() => [...document.querySelectorAll('.mw-card img')].every((i) => i.naturalWidth === 180));

  await page.click('.mw-tile[data-index="2"]');
  await page.waitForSelector('.mw-lightbox.mw-open');
  assert.match(await page.getAttribute('.mw-lightbox img', 'src'), /^wallimages\/12\.jpg(\?|$)/);
  await page.waitForFunction(() => document.querySelector('.mw-lightbox img').naturalWidth === 960);
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '3 / 10');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a missing thumbnail falls back to the slide image', async () => {
  const dir = wall({ images: ['0.jpg', '1.jpg'] });
  require('node:fs').rmSync(require('node:path').join(dir, 'wallimages', 'thumbs', '1.jpg'));
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  await page.waitForFunction(() => {
    const img = document.querySelector('.mw-tile[data-index="1"] .mw-card img');
    return img && img.naturalWidth === 960 && /wallimages\/1\.jpg/.test(img.src);
  });
  await page.close();
});

test('book information shows entities as text and never as markup', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(wall({
    images: s.numbered(2),
    attributes: {
      book_title: '&lt;b&gt;Bold&lt;/b&gt; &amp; &quot;quoted&quot;',
      display_name: '&lt;img src=x onerror=&quot;window.injected=1&quot;&gt;',
      description: 'First line&#10;Second &#x4e2d;&#25991; line',
      email: 'a&amp;b@example.org',
      website: 'javascript:window.injected=2'
    }
  })));
  assert.equal(await page.textContent('.mw-title'), '<b>Bold</b> & "quoted"');
  await page.click('.mw-info-button');
  await page.waitForSelector('.mw-info-panel.mw-open');
  assert.equal(await page.textContent('.mw-book-title'), '<b>Bold</b> & "quoted"');
  assert.equal(await page.textContent('.mw-byline'), '<img src=x onerror="window.injected=1">');
  assert.equal(await page.textContent('.mw-description'), 'First line\nSecond 中文 line');
  assert.equal(await page.getAttribute('.mw-email a', 'href'), 'mailto:a&b@example.org');
  // A script address is shown as text but never made a link.
  assert.equal(await page.$('.mw-website a'), null);
  assert.equal(await page.textContent('.mw-website'), 'javascript:window.injected=2');
  assert.equal(await page.$$eval('#murano-wall b, .mw-panel img', (n) => n.length), 0);
  assert.equal(await page.evaluate(() => window.injected), undefined);
  await page.close();
});

test('a wall of no slides is an empty stage without errors', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(wall({ images: [] })));
  assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '0');
  assert.equal(await page.$$eval('.mw-tile', (n) => n.length), 0);
  assert.match(await page.textContent('.mw-empty'), /no slides/);
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('Enter');
  await page.keyboard.press('Escape');
  assert.equal(await page.$('.mw-lightbox'), null);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('4,093 slides keep only the tiles near the view in the page', async () => {
  const images = s.numbered(4093);
  const page = await s.openWall(browser.context, s.fileUrl(wall({ images, pictures: [] })));
  assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '4093');
  const attached = await page.$$eval('.mw-tile', (n) => n.length);
  assert.ok(attached > 0 && attached < 120, `${attached} tiles in the page`);
  await page.keyboard.press('End');
  await page.waitForSelector('.mw-tile[data-index="4092"]');
  await page.waitForSelector('#murano-wall[data-moving="0"]');
  assert.equal(await page.$('.mw-tile[data-index="0"]'), null);
  assert.ok(await page.$$eval('.mw-tile', (n) => n.length) < 120);
  // Missing pictures leave the slide number on the tile.
  assert.equal(await page.textContent('.mw-tile[data-index="4092"] .mw-number'), '4093');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('an index that is not XML still gives its slides and settings', async () => {
  // Values typed with raw quotes, ampersands and angle brackets, as the program writes them.
  const xml = '<?xml version="1.0" encoding="utf-8"?>\r\n' +
    '<gallery imagesFolder="wallimages/" thumbnailsFolder="wallimages/thumbs/" back_ground="0{0x336699}" ' +
    'logo_visible="0" logo_img="logo/logo.png" logo_link="" btn_fullscreen="1" btn_share="0" btn_reload="1" ' +
    'btn_info="1" book_title="Tom & "Jerry" <live>" email="" website="" display_name="A &amp; B" ' +
    'description="x > y" >\r\n' +
    '\t<img src="0.jpg" width="960" height="720" />\r\n' +
    '\t<img src="1.jpg" width="960" height="720" />\r\n' +
    '</gallery>\r\n';
  const page = await s.openWall(browser.context, s.fileUrl(wall({ xml, images: ['0.jpg', '1.jpg'] })));
  assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '2');
  assert.equal(await page.textContent('.mw-title'), 'Tom & "Jerry" <live>');
  assert.equal(await page.$eval('.mw-backdrop', (e) => getComputedStyle(e).backgroundColor), 'rgb(51, 102, 153)');
  assert.equal(await page.$('.mw-share-button'), null);
  assert.equal(await page.$('.mw-logo'), null);
  await page.click('.mw-info-button');
  assert.equal(await page.textContent('.mw-byline'), 'A & B');
  assert.equal(await page.textContent('.mw-description'), 'x > y');
  await page.close();
});

test('bad values and a broken index fall back to defaults and still show the wall', async () => {
  const bad = await s.openWall(browser.context, s.fileUrl(wall({
    images: s.numbered(5),
    attributes: { back_ground: '1{0xzzzzzz,0x12,abc}', btn_info: 'yes', imagesFolder: 'javascript:alert(1)//',
      thumbnailsFolder: null, logo_img: 'http://example.org/logo.png' }
  })));
  assert.equal(await bad.getAttribute('.mw-backdrop', 'data-mode'), 'default');
  assert.ok(await bad.$('.mw-info-button'), 'an unknown button value keeps the button');
  assert.equal(await bad.$('.mw-logo'), null, 'no logo from outside the folder');
  assert.match(await bad.getAttribute('.mw-tile[data-index="0"] .mw-card img', 'src'), /^wallimages\/thumbs\/0\.jpg/);
  await bad.click('.mw-tile[data-index="0"]');
  assert.match(await bad.getAttribute('.mw-lightbox img', 'src'), /^wallimages\/0\.jpg/);
  assert.deepEqual(bad.errors, []);
  await bad.close();

  for (const xml of ['', 'not an index at all', '<?xml version="1.0"?>\n<gallery back_ground="2{', '\u0000\u0001<<<>>>']) {
    const page = await s.openWall(browser.context, s.fileUrl(wall({ xml })));
    assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '0');
    assert.equal(await page.getAttribute('.mw-backdrop', 'data-mode'), 'default');
    assert.ok(await page.$('.mw-empty'));
    assert.deepEqual(page.errors, [], JSON.stringify(xml));
    await page.close();
  }
});

test('a broken index written on one line keeps its markup out of the title', async () => {
  const xml = '<?xml version="1.0" encoding="utf-8"?><gallery imagesFolder="wallimages/" ' +
    'thumbnailsFolder="wallimages/thumbs/" back_ground="0{0x336699}" book_title="Tom & Jerry" >' +
    '<img src="0.jpg" width="960" height="720" /><img src="1.jpg" width="960" height="720" /></gallery>';
  const page = await s.openWall(browser.context, s.fileUrl(wall({ xml, images: ['0.jpg', '1.jpg'] })));
  assert.equal(await page.textContent('.mw-title'), 'Tom & Jerry');
  assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '2');
  assert.equal(await page.getAttribute('.mw-backdrop', 'data-mode'), 'colour');
  await page.close();
});

test('the viewer shows a missing slide by its thumbnail at full size, or says it could not be loaded', async () => {
  const fs = require('node:fs');
  const path = require('node:path');
  const dir = wall({ images: s.numbered(3) });
  fs.rmSync(path.join(dir, 'wallimages', '1.jpg'));
  fs.rmSync(path.join(dir, 'wallimages', '2.jpg'));
  fs.rmSync(path.join(dir, 'wallimages', 'thumbs', '2.jpg'));
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  await page.click('.mw-tile[data-index="1"]');
  await page.waitForFunction(() => /thumbs\/1\.jpg/.test(document.querySelector('.mw-lightbox img').src) &&
    document.querySelector('.mw-lightbox img').naturalWidth === 180);
  const shown = await page.$eval('.mw-lightbox img', (e) => e.getBoundingClientRect().toJSON());
  assert.ok(shown.width > 500, `the thumbnail fills the viewer: ${shown.width} pixels wide`);
  assert.equal(await page.isVisible('.mw-missing'), false);
  await page.keyboard.press('ArrowRight');
  await page.waitForSelector('.mw-missing', { state: 'visible' });
  assert.equal(await page.textContent('.mw-missing'), 'Slide 3 could not be loaded.');
  const box = await page.$eval('.mw-slide', (e) => e.getBoundingClientRect().toJSON());
  assert.ok(box.width > 500 && Math.abs(box.width / box.height - 4 / 3) < 0.02);
  await page.keyboard.press('ArrowLeft');
  assert.equal(await page.isVisible('.mw-missing'), false);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a 16:9 wall takes the slides\' shape from the pictures; large tiles show the full images', async () => {
  const wide = await s.drawSlides(browser.context, 2, { width: 1280, height: 720 });
  const dir = wall({ images: s.numbered(12), pictures: wide });
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  const shape = (selector) => page.$eval(selector, (e) => e.offsetWidth / e.offsetHeight);
  await page.waitForFunction(() => {
    const card = document.querySelector('.mw-tile .mw-card');
    return Math.abs(card.offsetWidth / card.offsetHeight - 16 / 9) < 0.03;
  });
  assert.equal(await page.getAttribute('#murano-wall', 'data-sharp'), '0');
  assert.match(await page.getAttribute('.mw-tile[data-index="0"] .mw-card img', 'src'), /^wallimages\/thumbs\//);
  await page.click('.mw-tile[data-index="0"]');
  await page.waitForFunction(() => document.querySelector('.mw-lightbox img').naturalWidth === 1280);
  assert.ok(Math.abs(await shape('.mw-slide') - 16 / 9) < 0.02);
  await page.close();

  // On a large screen the 16:9 tiles are drawn 320 pixels wide, far beyond their 180-pixel thumbnails.
  const sharp = await s.openWall(browser.context, s.fileUrl(dir), { size: { width: 1900, height: 1000 } });
  await sharp.waitForSelector('#murano-wall[data-sharp="1"]');
  assert.match(await sharp.getAttribute('.mw-tile[data-index="0"] .mw-card img', 'src'), /^wallimages\/0\.jpg/);
  await sharp.close();

  // Thumbnails made before they kept the slide's shape are all 180 x 135: the slide itself tells.
  const old = wall({ images: s.numbered(12), pictures: wide.map((p, i) => ({ image: p.image, thumb: pictures[i].thumb })) });
  const squeezed = await s.openWall(browser.context, s.fileUrl(old));
  await squeezed.waitForFunction(() => {
    const card = document.querySelector('.mw-tile .mw-card');
    return Math.abs(card.offsetWidth / card.offsetHeight - 16 / 9) < 0.03;
  });
  await squeezed.close();
});

test('with the info panel open, a click on the wall only closes the panel', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(wall({ images: s.numbered(6) })));
  await page.click('.mw-info-button');
  await page.waitForSelector('.mw-info-panel.mw-open');
  await page.click('.mw-tile[data-index="0"]');
  assert.equal(await page.$('.mw-info-panel.mw-open'), null);
  await page.waitForTimeout(300);
  assert.equal(await page.$('.mw-lightbox.mw-open'), null);
  await page.click('.mw-tile[data-index="0"]');
  await page.waitForSelector('.mw-lightbox.mw-open');
  await page.close();
});

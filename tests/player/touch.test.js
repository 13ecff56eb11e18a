// Phones and touch screens: taps that open a slide and leave it open, the phone layout at 320 and
// 390 pixels, swiping through the viewer, and the system share sheet.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support');

const PHONE = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const SMALL_PHONE = Object.assign({}, PHONE, { viewport: { width: 320, height: 568 }, deviceScaleFactor: 2 });
const TOUCH_LAPTOP = { viewport: { width: 1366, height: 768 }, hasTouch: true };

let browser;
let dir;

before(async () => {
  browser = await s.launchBrowser();
  const context = await browser.newContext();
  const pictures = await s.drawSlides(context, 4);
  await context.close();
  dir = s.makeWall({ images: s.numbered(30), pictures,
    attributes: { book_title: 'Quarterly review of the northern sales region' } });
});

after(async () => {
  await browser.close();
  s.removeDirs([dir]);
});

async function openIn(device, init) {
  const context = await browser.newContext(device);
  const page = await s.openWall(context, s.fileUrl(dir), { init });
  page.closeAll = () => context.close();
  return page;
}

function centreOf(page, selector) {
  return page.$eval(selector, (e) => {
    const r = e.getBoundingClientRect();
    return { x: (r.left + r.right) / 2, y: (r.top + r.bottom) / 2 };
  });
}

// Tiles whose centre is on screen.
function tilesInView(page) {
  return page.$$eval('.mw-tile', (tiles) => tiles.map((t) => {
    const r = t.querySelector('.mw-card').getBoundingClientRect();
    return { index: Number(t.dataset.index), left: r.left, right: r.right, top: r.top, bottom: r.bottom };
  }).filter((r) => (r.left + r.right) / 2 > 0 && (r.left + r.right) / 2 < innerWidth));
}

for (const [name, device] of [['a phone', PHONE], ['a touch laptop', TOUCH_LAPTOP]]) {
  test(`on ${name} every tap on a tile opens that slide and leaves it open`, async () => {
    const page = await openIn(device);
    for (let i = 0; i < 6; i++) {
      // Closing the viewer turns the wall to the slide last seen: tiles are found afresh each time.
      await page.waitForSelector('#murano-wall[data-moving="0"]');
      const tiles = await tilesInView(page);
      const tile = tiles[(i * 2) % tiles.length];
      await page.touchscreen.tap((tile.left + tile.right) / 2, (tile.top + tile.bottom) / 2);
      await page.waitForSelector('.mw-lightbox.mw-open');
      await page.waitForTimeout(350);
      assert.ok(await page.$('.mw-lightbox.mw-open'), `slide ${tile.index + 1} stays open`);
      assert.equal(await page.textContent('.mw-lightbox figcaption'), `${tile.index + 1} / 30`);
      const close = await centreOf(page, '.mw-lightbox .mw-dismiss');
      await page.touchscreen.tap(close.x, close.y);
      await page.waitForFunction(() => !document.querySelector('.mw-lightbox.mw-open'));
    }
    assert.deepEqual(page.errors, []);
    await page.closeAll();
  });
}

for (const [name, device] of [['390', PHONE], ['320', SMALL_PHONE]]) {
  test(`a phone ${name} pixels wide: every button on screen, the title whole, the wall and the viewer large`, async () => {
    const page = await openIn(device);
    const { width, height } = device.viewport;
    const buttons = await page.$$eval('.mw-topbar button, .mw-logo', (all) => all.map((b) => b.getBoundingClientRect().toJSON()));
    // The logo, the four buttons and the key list's, which phones have instead of a ? key.
    assert.equal(buttons.length, 6);
    for (const box of buttons) {
      assert.ok(box.left >= 0 && box.right <= width && box.top >= 0, JSON.stringify(box));
    }
    assert.ok(buttons.slice(1).every((box) => box.width >= 40 && box.height >= 40), 'buttons big enough to hit');
    const title = await page.$eval('.mw-title', (e) => ({ width: e.getBoundingClientRect().width,
      clipped: e.scrollHeight > e.clientHeight + 1 || e.scrollWidth > e.clientWidth + 1 }));
    assert.ok(title.width > width * 0.8 && !title.clipped, JSON.stringify(title));
    const tiles = await tilesInView(page);
    const wallHeight = Math.max(...tiles.map((t) => t.bottom)) - Math.min(...tiles.map((t) => t.top));
    assert.ok(wallHeight > height * 0.5, `the wall is ${wallHeight} of ${height} pixels tall`);
    assert.match(await page.textContent('.mw-hint'), /^Swipe .* tap /);

    await page.touchscreen.tap((tiles[0].left + tiles[0].right) / 2, (tiles[0].top + tiles[0].bottom) / 2);
    await page.waitForSelector('.mw-lightbox.mw-open');
    const slide = await page.$eval('.mw-slide', (e) => e.getBoundingClientRect().toJSON());
    assert.ok(slide.width >= width * 0.9 && slide.right <= width, JSON.stringify(slide));
    const nav = await page.$$eval('.mw-lightbox button', (all) => all.map((b) => b.getBoundingClientRect().toJSON()));
    assert.ok(nav.every((box) => box.left >= 0 && box.right <= width && box.bottom <= height));
    assert.deepEqual(page.errors, []);
    await page.closeAll();
  });
}

test('a swipe steps through the viewer on a phone', async () => {
  const page = await openIn(PHONE);
  await page.keyboard.press('Enter');
  await page.waitForSelector('.mw-lightbox.mw-open');
  const cdp = await page.context().newCDPSession(page);
  const swipe = async (from, to) => {
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: from, y: 400 }] });
    for (let x = from; Math.abs(x - to) > 1; x += (to - from) / 6) {
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x, y: 402 }] });
    }
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  };
  await swipe(330, 60);
  await swipe(330, 60);
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '3 / 30');
  await swipe(60, 330);
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '2 / 30');
  assert.ok(await page.$('.mw-lightbox.mw-open'));
  await page.closeAll();
});

test('Share opens the system share sheet where there is one, and the panel when it fails', async () => {
  const sheet = () => {
    window.shared = [];
    navigator.share = (data) => {
      window.shared.push(data.url);
      return window.shareFails ? Promise.reject(new TypeError('no share target')) : Promise.resolve();
    };
  };
  const page = await openIn(PHONE, sheet);
  await page.tap('.mw-share-button');
  assert.deepEqual(await page.evaluate(() => window.shared), [page.url()]);
  assert.equal(await page.$('.mw-share-panel.mw-open'), null);
  await page.evaluate(() => { window.shareFails = true; });
  await page.tap('.mw-share-button');
  await page.waitForSelector('.mw-share-panel.mw-open');
  assert.equal(await page.inputValue('.mw-address'), page.url());
  await page.closeAll();
});

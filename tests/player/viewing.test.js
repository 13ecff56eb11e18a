// The viewer and the wall as a reader uses them: zoom by wheel, keys, double-click, double-tap and
// pinch; the slideshow and its pause rules; a right-to-left book; printing; the key list.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support');

const DESKTOP = { viewport: { width: 1024, height: 640 } };
const PHONE = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true };

let browser;
let pictures;
const dirs = [];

before(async () => {
  browser = await s.launchBrowser();
  const context = await browser.newContext();
  pictures = await s.drawSlides(context, 3);
  await context.close();
});

after(async () => {
  await browser.close();
  s.removeDirs(dirs);
});

function wall(count, attributes = {}) {
  const dir = s.makeWall({ images: s.numbered(count), pictures, attributes });
  dirs.push(dir);
  return dir;
}

async function open(options, dir, fragment = '') {
  const context = await browser.newContext(options);
  const page = await s.openWall(context, s.fileUrl(dir) + fragment);
  page.closeAll = () => context.close();
  return page;
}

const zoom = (page) => page.getAttribute('#murano-wall', 'data-zoom').then(Number);
const caption = (page) => page.textContent('.mw-lightbox figcaption');
const picture = (page) => page.$eval('.mw-slide img', (img) => ({ transform: img.style.transform,
  src: img.getAttribute('src'), width: img.naturalWidth }));

async function slideCentre(page) {
  await page.waitForFunction(() => document.querySelector('.mw-slide img').naturalWidth > 0);
  return page.$eval('.mw-slide', (e) => {
    const r = e.getBoundingClientRect();
    return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
  });
}

test('desktop zoom: double-click, keys, Ctrl + wheel and drag; arrows pan; Escape unzooms, then closes', async () => {
  const page = await open(DESKTOP, wall(6), '#slide=2');
  const centre = await slideCentre(page);
  await page.mouse.dblclick(centre.x, centre.y);
  assert.equal(await zoom(page), 2);
  const shown = await picture(page);
  assert.match(shown.src, /^wallimages\/1\.jpg/, 'the full-size image, not the thumbnail');
  assert.equal(shown.width, 960);
  await page.keyboard.press('ArrowRight');
  assert.equal(await caption(page), '2 / 6', 'arrows pan a zoomed slide');
  assert.notEqual((await picture(page)).transform, shown.transform);
  await page.keyboard.press('+');
  assert.equal(await zoom(page), 3);
  await page.keyboard.press('-');
  await page.keyboard.press('-');
  assert.equal(await zoom(page), 1.33);
  await page.keyboard.press('0');
  assert.equal(await zoom(page), 1);

  await page.mouse.move(centre.x + 100, centre.y);
  await page.keyboard.down('Control');
  for (let i = 0; i < 5; i++) {
    await page.mouse.wheel(0, -100);
  }
  await page.keyboard.up('Control');
  await page.waitForFunction(() => Number(document.querySelector('#murano-wall').dataset.zoom) > 1.5);
  assert.ok(await zoom(page) <= 4);
  const before = (await picture(page)).transform;
  await page.mouse.move(centre.x, centre.y);
  await page.mouse.down();
  await page.mouse.move(centre.x - 150, centre.y - 40, { steps: 5 });
  await page.mouse.up();
  assert.notEqual((await picture(page)).transform, before, 'a drag pans');
  assert.equal(await caption(page), '2 / 6', 'and does not step');
  await page.keyboard.press('Escape');
  assert.equal(await zoom(page), 1);
  assert.ok(await page.$('.mw-lightbox.mw-open'));
  await page.keyboard.press('ArrowRight');
  assert.equal(await caption(page), '3 / 6', 'unzoomed, arrows step again');
  await page.keyboard.press('Escape');
  assert.equal(await page.$('.mw-lightbox.mw-open'), null);
  assert.deepEqual(page.errors, []);
  await page.closeAll();
});

test('a thumbnail standing in for a missing slide is not zoomed', async () => {
  const dir = wall(3);
  require('node:fs').rmSync(require('node:path').join(dir, 'wallimages', '1.jpg'));
  const page = await open(DESKTOP, dir, '#slide=2');
  await page.waitForFunction(() => /thumbs/.test(document.querySelector('.mw-slide img').src));
  const centre = await slideCentre(page);
  await page.mouse.dblclick(centre.x, centre.y);
  await page.keyboard.press('+');
  assert.equal((await picture(page)).transform, '');
  await page.closeAll();
});

test('phone zoom: a pinch between two fingers, one finger pans, a double-tap goes back', async () => {
  const page = await open(PHONE, wall(6), '#slide=3');
  const c = await slideCentre(page);
  const cdp = await page.context().newCDPSession(page);
  const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
  await touch('touchStart', [{ x: c.x - 30, y: c.y, id: 1 }, { x: c.x + 30, y: c.y, id: 2 }]);
  for (let spread = 40; spread <= 90; spread += 10) {
    await touch('touchMove', [{ x: c.x - spread, y: c.y, id: 1 }, { x: c.x + spread, y: c.y, id: 2 }]);
  }
  await touch('touchEnd', []);
  const pinched = await zoom(page);
  assert.ok(pinched > 2.5 && pinched <= 3.01, `pinched to ${pinched}`);
  const before = (await picture(page)).transform;
  await touch('touchStart', [{ x: c.x, y: c.y, id: 3 }]);
  for (let dx = 20; dx <= 120; dx += 20) {
    await touch('touchMove', [{ x: c.x + dx, y: c.y, id: 3 }]);
  }
  await touch('touchEnd', []);
  assert.notEqual((await picture(page)).transform, before);
  assert.equal(await caption(page), '3 / 6', 'a one-finger pan of a zoomed slide does not swipe');
  await page.touchscreen.tap(c.x, c.y);
  await page.touchscreen.tap(c.x, c.y);
  await page.waitForFunction(() => document.querySelector('#murano-wall').dataset.zoom === '1.00');
  await page.touchscreen.tap(c.x, c.y);
  await page.touchscreen.tap(c.x, c.y);
  await page.waitForFunction(() => document.querySelector('#murano-wall').dataset.zoom === '2.00');
  assert.ok(await page.$('.mw-lightbox.mw-open'));
  await page.closeAll();
});

test('a wall with autoplay plays from the first slide at open and stops at the last', async () => {
  const context = await browser.newContext(DESKTOP);
  // The Play button's names as the page shows them, recorded from the start: a short slideshow on
  // a loaded machine may be over before the test can look.
  await context.addInitScript(() => {
    window.playLabels = [];
    new MutationObserver(() => {
      const label = document.querySelector('.mw-viewer-play')?.getAttribute('aria-label');
      if (label && label !== window.playLabels[window.playLabels.length - 1]) window.playLabels.push(label);
    }).observe(document, { subtree: true, childList: true, attributes: true, attributeFilter: ['aria-label'] });
  });
  const page = await s.openWall(context, s.fileUrl(wall(4, { autoplay: '0.3' })));
  await page.waitForFunction(() => document.querySelector('.mw-lightbox figcaption').textContent === '4 / 4');
  await page.waitForSelector('#murano-wall[data-playing="0"]');
  assert.deepEqual((await page.evaluate(() => window.playLabels)).slice(-2), ['Pause slideshow', 'Play slideshow']);
  assert.match(page.url(), /#slide=4$/);
  await context.close();
});

test('the slideshow pauses at a key, a press, a wheel and a hidden page; Play goes on', async () => {
  const page = await open(DESKTOP, wall(40, { autoplay: '0.25' }));
  const playing = () => page.waitForSelector('#murano-wall[data-playing="1"]');
  const paused = () => page.waitForSelector('#murano-wall[data-playing="0"]');
  const pauses = [
    () => page.keyboard.press('Shift'),
    () => page.mouse.click(5, 300),
    () => page.mouse.wheel(0, 50),
    () => page.evaluate(() => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
      document.dispatchEvent(new Event('visibilitychange'));
    })
  ];
  for (const pause of pauses) {
    await playing();
    await page.waitForFunction(() => document.querySelector('.mw-lightbox figcaption').textContent !== '1 / 40');
    await pause();
    await paused();
    const at = await caption(page);
    await page.waitForTimeout(600);
    assert.equal(await caption(page), at, 'a paused slideshow stays');
    if (!await page.$('.mw-lightbox.mw-open')) {
      await page.keyboard.press('Enter');
    }
    await page.click('.mw-viewer-play');
  }
  await page.closeAll();
});

test('a wall without the new settings plays as before; Play on the wall opens the viewer', async () => {
  const page = await open(DESKTOP, wall(8, { autoplay: null, direction: null }));
  assert.equal(await page.$('.mw-lightbox.mw-open'), null);
  assert.equal(await page.getAttribute('#murano-wall', 'dir'), 'ltr');
  await page.getByRole('button', { name: 'Play slideshow' }).click();
  await page.waitForSelector('.mw-lightbox.mw-open');
  assert.equal(await page.getAttribute('.mw-viewer-play', 'aria-label'), 'Pause slideshow');
  await page.closeAll();
});

test('slides glide into view, and with reduced motion they just change', async () => {
  const dir = wall(6);
  for (const reducedMotion of ['no-preference', 'reduce']) {
    const page = await open(Object.assign({ reducedMotion }, DESKTOP), dir, '#slide=1');
    // Counts the glides started rather than looking for one still running: on a loaded machine
    // a short glide may be over before the page is asked.
    await page.evaluate(() => {
      const animate = Element.prototype.animate;
      window.glides = 0;
      Element.prototype.animate = function (...args) {
        if (this.matches('.mw-slide img')) window.glides++;
        return animate.apply(this, args);
      };
    });
    await page.keyboard.press('ArrowRight');
    await page.waitForFunction(() => document.querySelector('.mw-lightbox figcaption').textContent === '2 / 6');
    const glides = await page.evaluate(() => window.glides);
    assert.equal(glides > 0, reducedMotion === 'no-preference', reducedMotion);
    await page.closeAll();
  }
});

test('a right-to-left book: mirrored wall, keys and swipes; the counter still counts from 1', async () => {
  const dir = wall(40, { direction: 'rtl' });
  const page = await open(DESKTOP, dir);
  assert.equal(await page.getAttribute('#murano-wall', 'dir'), 'rtl');
  const first = await page.$eval('.mw-tile[data-index="0"] .mw-card', (e) => e.getBoundingClientRect().right);
  assert.ok(first > 1024 - 120, `the first slide is at the right edge: ${first}`);
  const logo = await page.$eval('.mw-logo', (e) => e.getBoundingClientRect().left);
  const buttons = await page.$eval('.mw-buttons', (e) => e.getBoundingClientRect().left);
  assert.ok(logo > buttons, 'the top bar is mirrored');
  assert.equal(await page.textContent('.mw-counter'), '1 / 40');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '3', 'left goes on');
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '0');
  await page.keyboard.press('Enter');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await caption(page), '2 / 40');
  await page.closeAll();

  const phone = await open(PHONE, dir, '#slide=5');
  const cdp = await phone.context().newCDPSession(phone);
  const swipe = async (from, to) => {
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: from, y: 300 }] });
    for (let step = 1; step <= 6; step++) {
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x: from + (to - from) * step / 6, y: 302 }] });
    }
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  };
  await swipe(60, 330);
  assert.equal(await caption(phone), '6 / 40', 'a swipe to the right goes on');
  await swipe(330, 60);
  await swipe(330, 60);
  assert.equal(await caption(phone), '4 / 40');
  await phone.keyboard.press('Escape');
  await phone.waitForSelector('#murano-wall[data-moving="0"]');
  const current = Number(await phone.getAttribute('#murano-wall', 'data-current'));
  await swipe(60, 330);
  await phone.waitForSelector('#murano-wall[data-moving="0"]');
  assert.ok(Number(await phone.getAttribute('#murano-wall', 'data-current')) > current, 'on the wall too');
  await phone.closeAll();
});

test('printing prints every slide without the player; with the viewer open, that slide only', async () => {
  const page = await open(DESKTOP, wall(5));
  await page.emulateMedia({ media: 'print' });
  await page.waitForFunction(() => document.querySelectorAll('.mw-print img').length === 5);
  assert.equal(await page.isVisible('.mw-topbar'), false);
  assert.equal(await page.isVisible('.mw-stage'), false);
  const pages = await page.$$eval('.mw-print figure', (all) => all.map((f) => getComputedStyle(f).breakAfter));
  assert.deepEqual(pages, ['page', 'page', 'page', 'page', 'auto']);
  await page.emulateMedia({ media: 'screen' });
  assert.equal(await page.isVisible('.mw-print'), false);
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('Enter');
  await page.waitForSelector('.mw-lightbox.mw-open');
  await page.emulateMedia({ media: 'print' });
  await page.waitForFunction(() => document.querySelectorAll('.mw-print img').length === 1);
  assert.match(await page.getAttribute('.mw-print img', 'src'), /^wallimages\/2\.jpg/);
  assert.equal(await page.isVisible('.mw-lightbox'), false);
  await page.closeAll();
});

test('? lists the keys and gestures; on a phone a button does', async () => {
  const page = await open(DESKTOP, wall(5), '#slide=2');
  await page.keyboard.press('?');
  const help = page.getByRole('dialog', { name: 'Keys and gestures' });
  await help.waitFor();
  assert.match(await help.textContent(), /Full screen/);
  await page.keyboard.press('Escape');
  await help.waitFor({ state: 'hidden' });
  assert.ok(await page.$('.mw-lightbox.mw-open'), 'Escape closed the list, not the viewer');
  assert.equal(await page.isVisible('.mw-help-button'), false);
  await page.closeAll();
  const phone = await open(PHONE, wall(5));
  await phone.getByRole('button', { name: 'Keys and gestures' }).tap();
  await phone.getByRole('dialog', { name: 'Keys and gestures' }).waitFor();
  await phone.closeAll();
});

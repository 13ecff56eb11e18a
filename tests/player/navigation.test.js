// Browsing the wall: keys, mouse drag with inertia, wheel, touch swipes, and the slide viewer.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support');

let browser;
let dir;

before(async () => {
  browser = await s.launch();
  const pictures = await s.drawSlides(browser.context, 4);
  dir = s.makeWall({ images: s.numbered(40), pictures });
});

after(async () => {
  await browser.close();
  s.removeDirs([dir]);
});

const settled = (page) => page.waitForSelector('#murano-wall[data-moving="0"]');

function tileBox(page, index) {
  return page.$eval(`.mw-tile[data-index="${index}"] .mw-card`, (e) => {
    const r = e.getBoundingClientRect();
    return { left: r.left, right: r.right, top: r.top, bottom: r.bottom };
  });
}

// The lowest slide number among the tiles whose centre is on screen.
function firstVisible(page) {
  return page.$$eval('.mw-tile', (tiles) => Math.min(...tiles.filter((t) => {
    const r = t.querySelector('.mw-card').getBoundingClientRect();
    const x = (r.left + r.right) / 2;
    return x > 0 && x < innerWidth;
  }).map((t) => Number(t.dataset.index))));
}

// Waits until the wall rests with its lowest slide on screen between `low` and `high`; a wall
// that is not there after a minute has failed.
async function restsWithFirstVisible(page, low, high) {
  const deadline = Date.now() + 60000;
  for (;;) {
    await settled(page);
    const first = await firstVisible(page);
    if (first >= low && first <= high) return;
    assert.ok(Date.now() < deadline, `the wall rests with slide ${first + 1} first`);
    await page.waitForTimeout(50);
  }
}

test('keys move the current slide, the view follows it, Enter opens it and Escape goes back', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '0');
  assert.equal(await page.textContent('.mw-counter'), '1 / 40');
  const start = await tileBox(page, 0);
  assert.ok(start.left >= 0 && start.left < 100, 'the wall starts at the left edge');

  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowDown');
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '4');
  assert.ok(await page.$('.mw-tile[data-index="4"].mw-current'));
  for (let i = 0; i < 8; i++) {
    await page.keyboard.press('ArrowRight');
  }
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '28');
  await settled(page);
  assert.equal(await page.textContent('.mw-counter'), '29 / 40');
  const box = await tileBox(page, 28);
  assert.ok(box.left >= 0 && box.right <= 855, `slide 29 is in view: ${JSON.stringify(box)}`);
  assert.equal(await page.$('.mw-tile[data-index="0"]'), null, 'columns far out of view leave the page');

  await page.keyboard.press('Enter');
  await page.waitForSelector('.mw-lightbox.mw-open');
  assert.match(await page.getAttribute('.mw-lightbox img', 'src'), /^wallimages\/28\.jpg/);
  await page.keyboard.press('ArrowRight');
  assert.match(await page.getAttribute('.mw-lightbox img', 'src'), /^wallimages\/29\.jpg/);
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '28 / 40');
  await page.keyboard.press('Escape');
  assert.equal(await page.$('.mw-lightbox.mw-open'), null);
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '27', 'the wall follows the viewer');

  await page.keyboard.press('End');
  await settled(page);
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '39');
  const last = await tileBox(page, 39);
  assert.ok(last.right <= 855 && last.right > 700, 'the wall ends at the right edge');
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '39');
  await page.keyboard.press('Home');
  await settled(page);
  assert.equal(await firstVisible(page), 0);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the viewer steps with its buttons and stops at both ends', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  await page.click('.mw-tile[data-index="1"]');
  await page.waitForSelector('.mw-lightbox.mw-open');
  await page.click('.mw-lightbox .mw-prev');
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '1 / 40');
  assert.equal(await page.$eval('.mw-lightbox .mw-prev', (b) => b.disabled), true);
  await page.click('.mw-lightbox .mw-next');
  await page.click('.mw-lightbox .mw-next');
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '3 / 40');
  // A mouse swipe over the viewer steps on without closing it; a plain click beside the slide closes.
  await page.mouse.move(820, 480);
  await page.mouse.down();
  await page.mouse.move(700, 482, { steps: 4 });
  await page.mouse.move(600, 484, { steps: 4 });
  await page.mouse.up();
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '4 / 40');
  assert.ok(await page.$('.mw-lightbox.mw-open'));
  await page.mouse.click(830, 500);
  assert.equal(await page.$('.mw-lightbox.mw-open'), null);
  await page.click('.mw-tile[data-index="2"]');
  await page.click('.mw-lightbox .mw-dismiss');
  assert.equal(await page.$('.mw-lightbox.mw-open'), null);
  await page.close();
});

test('a mouse drag turns the wall; a click without moving opens a slide', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  await page.mouse.move(650, 260);
  await page.mouse.down();
  for (let x = 650; x >= 100; x -= 55) {
    await page.mouse.move(x, 262);
  }
  await page.mouse.up();
  assert.equal(await page.$('.mw-lightbox.mw-open'), null, 'a drag opens nothing');
  await settled(page);
  const moved = await firstVisible(page);
  assert.ok(moved >= 6, `the view moved on by columns: first visible slide ${moved}`);
  assert.ok(Number(await page.getAttribute('#murano-wall', 'data-current')) >= moved - 3,
    'the current slide came along');

  const box = await tileBox(page, moved + 3);
  await page.mouse.click((box.left + box.right) / 2, (box.top + box.bottom) / 2);
  await page.waitForSelector('.mw-lightbox.mw-open');
  assert.match(await page.getAttribute('.mw-lightbox img', 'src'), new RegExp(`^wallimages/${moved + 3}\\.jpg`));
  await page.close();
});

test('a quick flick coasts on well past where the pointer let go', async () => {
  // The release counts only the pointer's last 80 ms, so a test process preempted between its last
  // move and the release sees a pointer at rest: a flick that coasts once in three tries proves
  // coasting, and one that never does fails.
  let result;
  for (let attempt = 0; attempt < 3; attempt++) {
    const page = await s.openWall(browser.context, s.fileUrl(dir));
    result = await flick(page);
    await page.close();
    if (result.total > result.dragged * 2) {
      break;
    }
  }
  assert.ok(result.dragged > 0);
  assert.ok(result.total > result.dragged * 2, `coasted on: ${JSON.stringify(result)}`);
});

// One flick paced in the page itself, so that a busy machine cannot stretch it: how far the
// pointer turned the wall, and how far the wall had turned once it came to rest.
function flick(page) {
  return page.evaluate(async () => {
    const stage = document.querySelector('.mw-stage');
    const wall = document.querySelector('.mw-wall');
    const angle = () => Number(/rotateY\(([-\d.]+)deg\)/.exec(wall.style.transform)[1]);
    const send = (type, x) => stage.dispatchEvent(new PointerEvent(type, {
      pointerId: 7, pointerType: 'touch', isPrimary: true, button: 0, clientX: x, clientY: 250, bubbles: true }));
    const before = angle();
    send('pointerdown', 500);
    for (let x = 470; x >= 350; x -= 30) {
      const until = performance.now() + 12;
      while (performance.now() < until) { /* wait */ }
      send('pointermove', x);
    }
    const released = angle();
    send('pointerup', 350);
    await new Promise((done) => {
      const wait = () => (document.getElementById('murano-wall').dataset.moving === '0' ? done() : setTimeout(wait, 20));
      setTimeout(wait, 50);
    });
    return { dragged: released - before, total: angle() - before };
  });
}

test('a wall turning fast draws its tiles plain, and whole again once it rests', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  const reflection = () => getComputedStyle(document.querySelector('.mw-reflection')).visibility;
  assert.equal(await page.evaluate(reflection), 'visible');
  await page.evaluate(() => {
    const root = document.getElementById('murano-wall');
    window.fastMarks = [];
    new MutationObserver(() => window.fastMarks.push(root.dataset.fast))
      .observe(root, { attributes: true, attributeFilter: ['data-fast'] });
    document.dispatchEvent(new KeyboardEvent('keydown', { key: 'End', bubbles: true }));
  });
  await page.waitForFunction(() => window.fastMarks.includes('1'));
  assert.equal(await page.evaluate(reflection), 'hidden');
  await settled(page);
  assert.deepEqual(await page.evaluate(() => window.fastMarks), ['1', '0']);
  assert.equal(await page.evaluate(reflection), 'visible');
  await page.close();
});

test('the wheel turns the wall', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  await page.mouse.move(400, 260);
  await page.mouse.wheel(0, 900);
  await restsWithFirstVisible(page, 9, Infinity);
  await page.mouse.wheel(0, -5000);
  await restsWithFirstVisible(page, 0, 0);
  await page.close();
});

test('a touch swipe turns the wall', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  const cdp = await browser.context.newCDPSession(page);
  const touch = (type, x) => cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: type === 'touchEnd' ? [] : [{ x, y: 250 }]
  });
  await touch('touchStart', 750);
  for (let x = 700; x >= 150; x -= 50) {
    await touch('touchMove', x);
  }
  await touch('touchEnd');
  await settled(page);
  assert.ok(await firstVisible(page) >= 6);
  assert.equal(await page.$('.mw-lightbox.mw-open'), null);
  await page.close();
});

test('the wall lays itself out again when the window changes size', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  const small = await tileBox(page, 0);
  await page.setViewportSize({ width: 1600, height: 900 });
  await page.waitForFunction((height) => {
    const r = document.querySelector('.mw-tile[data-index="0"] .mw-card').getBoundingClientRect();
    return r.bottom - r.top > height * 1.4;
  }, small.bottom - small.top);
  const large = await tileBox(page, 0);
  assert.ok(large.left >= 0 && large.left < 120, 'the wall still starts at the left edge');
  const tiles = await page.$$eval('.mw-tile', (n) => n.map((t) => Number(t.dataset.index)));
  assert.equal(new Set(tiles).size, tiles.length, 'no tile twice');
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '3');
  assert.deepEqual(page.errors, []);
  await page.close();
});

// The wall with a keyboard and a screen reader: what Tab reaches, the roving tab stop on the tiles,
// the modal viewer, labels and live regions, reduced motion, and an axe-core audit over dark and
// light backgrounds.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support');

let browser;
let context;
let pictures;
const dirs = [];

before(async () => {
  browser = await s.launchBrowser();
  context = await browser.newContext({ viewport: { width: 1024, height: 640 } });
  pictures = await s.drawSlides(context, 4);
});

after(async () => {
  await browser.close();
  s.removeDirs(dirs);
});

function wall(options) {
  const dir = s.makeWall(Object.assign({ images: s.numbered(40), pictures }, options));
  dirs.push(dir);
  return dir;
}

// The focused element, as a short name: its class or its tile number.
function focused(page) {
  return page.evaluate(() => {
    const e = document.activeElement;
    if (!e || e === document.body) {
      return 'body';
    }
    return e.classList.contains('mw-tile') ? `tile ${e.dataset.index}` : e.id || e.className.split(' ').pop();
  });
}

async function tabs(page, count, key = 'Tab') {
  const seen = [];
  for (let i = 0; i < count; i++) {
    await page.keyboard.press(key);
    seen.push(await focused(page));
  }
  return seen;
}

test('Tab reaches the logo, the buttons and one tile; closed panels and the viewer are out of reach', async () => {
  const page = await s.openWall(context, s.fileUrl(wall()));
  assert.deepEqual(await tabs(page, 6),
    ['mw-logo', 'mw-info-button', 'mw-share-button', 'mw-reload-button', 'mw-fullscreen-button', 'tile 0']);
  assert.deepEqual(await tabs(page, 6, 'Shift+Tab'),
    ['mw-fullscreen-button', 'mw-reload-button', 'mw-share-button', 'mw-info-button', 'mw-logo', 'body']);
  for (const hidden of ['.mw-info-panel', '.mw-share-panel', '.mw-lightbox']) {
    assert.equal(await page.isVisible(hidden), false, hidden);
    assert.equal(await page.$eval(hidden, (e) => e.inert), true, hidden);
  }
  const tree = await page.locator('body').ariaSnapshot();
  assert.match(tree, /button "Slide 1 of 40"/);
  assert.doesNotMatch(tree, /Previous slide|Address of this page|Back to the wall/, 'hidden controls stay out of the tree');

  // An open panel is reachable, says so on its button, and gives the focus back when it closes.
  await page.focus('.mw-info-button');
  await page.keyboard.press('Enter');
  assert.equal(await page.getAttribute('.mw-info-button', 'aria-expanded'), 'true');
  assert.equal(await page.$eval('.mw-info-panel', (e) => e.inert), false);
  assert.equal(await focused(page), 'mw-info-panel');
  assert.equal(await tabs(page, 1).then(([name]) => name), 'mw-close');
  await page.keyboard.press('Escape');
  assert.equal(await page.getAttribute('.mw-info-button', 'aria-expanded'), 'false');
  assert.equal(await focused(page), 'mw-info-button');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the focus moves with the current slide; Home and End go to the first and last slide', async () => {
  const page = await s.openWall(context, s.fileUrl(wall()));
  await page.keyboard.press('ArrowRight');
  assert.equal(await focused(page), 'tile 3');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  assert.equal(await focused(page), 'tile 5');
  assert.equal(await page.$$eval('.mw-tile[tabindex="0"]', (t) => t.map((x) => x.dataset.index)).then((x) => x.join()), '5');
  assert.equal(await page.getAttribute('.mw-tile[data-index="5"]', 'aria-label'), 'Slide 6 of 40');
  await page.keyboard.press('Home');
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '0', 'Home from a lower row');
  await page.keyboard.press('End');
  await page.waitForSelector('#murano-wall[data-moving="0"]');
  assert.equal(await focused(page), 'tile 39');
  // A focus ring that shows: the ring colour differs from the card's usual edge.
  const ring = await page.$eval('.mw-tile[data-index="39"] .mw-card', (e) => getComputedStyle(e, '::after').boxShadow);
  assert.match(ring, /rgb\(255, 216, 77\) 0px 0px 0px 6px inset/);

  // The viewer takes the focus, keeps the rest of the page inert, and steps with Home and End.
  await page.keyboard.press('Home');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('Enter');
  await page.waitForSelector('.mw-lightbox.mw-open');
  assert.equal(await page.getAttribute('.mw-lightbox', 'aria-modal'), 'true');
  assert.equal(await focused(page), 'mw-dismiss');
  assert.deepEqual(await page.$$eval('#murano-wall > *', (all) => all.filter((e) => !e.inert).map((e) => e.className)),
    ['mw-lightbox mw-open']);
  assert.ok((await tabs(page, 6)).every((name) => ['mw-prev', 'mw-next', 'mw-dismiss', 'mw-viewer-play', 'mw-viewer-share', 'body'].includes(name)));
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '4 / 40');
  await page.keyboard.press('End');
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '40 / 40');
  await page.keyboard.press('Home');
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '1 / 40');
  assert.equal(await page.getAttribute('.mw-lightbox img', 'alt'), 'Slide 1');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => document.activeElement.dataset.index === '0');
  assert.equal(await page.$eval('.mw-stage', (e) => e.inert), false);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('labels and live regions follow the state', async () => {
  const page = await s.openWall(context, s.fileUrl(wall()));
  assert.equal(await page.getAttribute('.mw-counter', 'role'), 'status');
  assert.equal(await page.getAttribute('.mw-lightbox figcaption', 'aria-live'), 'polite');
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction(() => document.querySelector('.mw-counter').textContent === '4 / 40');
  assert.equal(await page.getAttribute('.mw-fullscreen-button', 'aria-label'), 'Full screen');
  await page.click('.mw-fullscreen-button');
  await page.waitForFunction(() => document.querySelector('.mw-fullscreen-button').getAttribute('aria-label') === 'Leave full screen');
  await page.click('.mw-fullscreen-button');
  await page.waitForFunction(() => document.querySelector('.mw-fullscreen-button').getAttribute('aria-label') === 'Full screen');
  await page.close();
});

test('reduced motion: the wall jumps, the flick stops where it is let go, nothing fades', async () => {
  const page = await s.openWall(context, s.fileUrl(wall()));
  await page.emulateMedia({ reducedMotion: 'reduce' });
  const moved = await page.evaluate(async () => {
    const root = document.getElementById('murano-wall');
    let moving = false;
    new MutationObserver(() => { moving = moving || root.dataset.moving === '1'; })
      .observe(root, { attributes: true, attributeFilter: ['data-moving'] });
    document.dispatchEvent(new KeyboardEvent('keydown', { key: 'End', bubbles: true }));
    const jumped = !!document.querySelector('.mw-tile[data-index="39"]');
    const stage = document.querySelector('.mw-stage');
    const send = (type, x) => stage.dispatchEvent(new PointerEvent(type, {
      pointerId: 3, pointerType: 'touch', isPrimary: true, button: 0, clientX: x, clientY: 300, bubbles: true }));
    send('pointerdown', 300);
    for (let x = 330; x <= 600; x += 30) {
      await new Promise((done) => setTimeout(done, 10));
      send('pointermove', x);
    }
    send('pointerup', 600);
    await new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)));
    return { jumped, moving };
  });
  assert.deepEqual(moved, { jumped: true, moving: false });
  await page.keyboard.press('Enter');
  assert.equal(await page.$eval('.mw-lightbox', (e) => getComputedStyle(e).transitionDuration), '0s');
  assert.equal(await page.$eval('.mw-lightbox', (e) => getComputedStyle(e).opacity), '1');
  await page.close();
});

// The lowest contrast of an element's text over any background the index can set: its colour and
// the backgrounds of the layers it sits on are laid over pure white and over pure black.
function worstContrast(page, selector) {
  return page.$eval(selector, (e) => {
    const rgba = (text) => {
      const v = text.match(/[\d.]+/g).map(Number);
      return [v[0], v[1], v[2], v.length > 3 ? v[3] : 1];
    };
    const over = (top, base) => base.map((b, i) => top[i] * top[3] + b * (1 - top[3]));
    const luminance = (rgb) => {
      const c = rgb.map((v) => (v / 255 <= 0.03928 ? v / 255 / 12.92 : ((v / 255 + 0.055) / 1.055) ** 2.4));
      return 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2];
    };
    const ratio = (a, b) => {
      const [hi, lo] = [luminance(a), luminance(b)].sort((x, y) => y - x);
      return (hi + 0.05) / (lo + 0.05);
    };
    const layers = [];
    for (let n = e; n && n.id !== 'murano-wall'; n = n.parentElement) {
      const layer = rgba(getComputedStyle(n).backgroundColor);
      if (layer[3] > 0) {
        layers.unshift(layer);
      }
    }
    const text = rgba(getComputedStyle(e).color);
    return Math.min(...[[255, 255, 255], [0, 0, 0]].map((base) => {
      const ground = layers.reduce((under, layer) => over(layer, under), base);
      return ratio(over(text, ground), ground);
    }));
  });
}

test('text over the wall keeps 4.5:1 over any background', async () => {
  const page = await s.openWall(context, s.fileUrl(wall({ attributes: { back_ground: '0{0xffffff}' } })));
  await page.click('.mw-info-button');
  await page.keyboard.press('Enter');
  for (const selector of ['.mw-title', '.mw-counter', '.mw-hint', '.mw-lightbox figcaption', '.mw-byline',
    '.mw-description', '.mw-contact a']) {
    const contrast = await worstContrast(page, selector);
    assert.ok(contrast >= 4.5, `${selector}: ${contrast.toFixed(2)} : 1`);
  }
  await page.close();
  const empty = await s.openWall(context, s.fileUrl(wall({ images: [], attributes: { back_ground: '0{0xffffff}' } })));
  assert.ok(await worstContrast(empty, '.mw-empty') >= 4.5);
  await empty.close();
});

// axe-core on the wall, the open viewer and the open info panel, over the dark default stage and
// light backgrounds: no serious or critical findings.
test('an axe-core audit finds nothing serious, on dark and light backgrounds', async () => {
  for (const back_ground of ['0{0x101820}', '0{0xfbfaf5}', '1{0xffffff,0xe8f0ff,90}']) {
    const page = await s.openWall(context, s.fileUrl(wall({ attributes: { back_ground } })));
    assert.deepEqual(s.seriousViolations(await s.audit(page)), [], `wall over ${back_ground}`);
    await page.click('.mw-info-button');
    await page.waitForSelector('.mw-info-panel.mw-open');
    assert.deepEqual(s.seriousViolations(await s.audit(page)), [], `info panel over ${back_ground}`);
    await page.keyboard.press('Escape');
    await page.click('.mw-tile[data-index="1"]');
    await page.waitForSelector('.mw-lightbox.mw-open');
    // The viewer's colours are audited once it has faded in.
    await page.waitForFunction(() => !document.querySelector('.mw-lightbox').getAnimations({ subtree: true }).length);
    assert.deepEqual(s.seriousViolations(await s.audit(page)), [], `viewer over ${back_ground}`);
    await page.close();
  }
});

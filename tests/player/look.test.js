// The look the start tag asks for: the three background forms and the image positions, the logo
// and its link, and the buttons that are shown or left out.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support');

let browser;
const dirs = [];

before(async () => {
  browser = await s.launch();
});

after(async () => {
  await browser.close();
  s.removeDirs(dirs);
});

async function open(attributes) {
  const dir = s.makeWall({ images: s.numbered(3), attributes });
  dirs.push(dir);
  return s.openWall(browser.context, s.fileUrl(dir));
}

async function backdropOf(attributes) {
  const page = await open(attributes);
  const style = await backdropStyle(page);
  await page.close();
  return style;
}

function backdropStyle(page) {
  return page.$eval('.mw-backdrop', (e) => {
    const style = getComputedStyle(e);
    return { mode: e.dataset.mode, color: style.backgroundColor, image: style.backgroundImage,
      size: style.backgroundSize, repeat: style.backgroundRepeat, position: style.backgroundPosition };
  });
}

test('a pure colour background', async () => {
  const page = await open({ back_ground: '0{0x00ff7f}' });
  const style = await backdropStyle(page);
  assert.equal(style.mode, 'colour');
  assert.equal(style.color, 'rgb(0, 255, 127)');
  assert.equal(style.image, 'none');
  await page.close();
});

test('a gradient background runs at the given angle, 90 from top to bottom', async () => {
  const page = await open({ back_ground: '1{0x550000,0x555500,90}' });
  const style = await backdropStyle(page);
  assert.equal(style.mode, 'gradient');
  assert.equal(style.image, 'linear-gradient(rgb(85, 0, 0), rgb(85, 85, 0))');
  const tilted = await open({ back_ground: '1{0x550000,0x555500,0}' });
  assert.equal((await backdropStyle(tilted)).image, 'linear-gradient(90deg, rgb(85, 0, 0), rgb(85, 85, 0))');
  const typed = await open({ back_ground: '1{0x550000,0x555500,abc}' });
  assert.equal((await backdropStyle(typed)).image, 'linear-gradient(rgb(85, 0, 0), rgb(85, 85, 0))');
  await Promise.all([page.close(), tilted.close(), typed.close()]);
});

test('an image background centred, stretched or tiled', async () => {
  const centre = await backdropOf({ back_ground: '2{logo/logo.png,center}' });
  assert.equal(centre.mode, 'image');
  assert.match(centre.image, /^url\(".*\/logo\/logo\.png(\?v=\w+)?"\)$/);
  assert.equal(centre.repeat, 'no-repeat');
  assert.equal(centre.position, '50% 50%');
  assert.equal(centre.size, 'auto');

  const stretch = await backdropOf({ back_ground: '2{background/background.jpg,stretch}' });
  assert.match(stretch.image, /background\/background\.jpg/);
  assert.equal(stretch.size, '100% 100%');
  assert.equal(stretch.repeat, 'no-repeat');

  const tile = await backdropOf({ back_ground: '2{logo/logo.png,titl}' });
  assert.equal(tile.repeat, 'repeat');
  assert.equal(tile.position, '0px 0px');
  assert.equal(tile.size, 'auto');
});

test('an image background whose file is missing leaves the default stage', async () => {
  const page = await open({ back_ground: '2{background/missing.jpg,stretch}' });
  await page.waitForSelector('.mw-backdrop[data-mode="default"]');
  assert.match((await backdropStyle(page)).image, /^radial-gradient/);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('background and logo named in capitals are found under their lower-case published names', async () => {
  const page = await open({ back_ground: '2{background/BACKGROUND.JPG,stretch}', logo_img: 'logo/Logo.PNG' });
  await page.waitForFunction(() => /background\/background\.jpg/.test(document.querySelector('.mw-backdrop').style.backgroundImage));
  assert.equal(await page.getAttribute('.mw-backdrop', 'data-mode'), 'image');
  await page.waitForFunction(() => document.querySelector('.mw-logo img').naturalWidth === 300);
  assert.match(await page.getAttribute('.mw-logo img', 'src'), /^logo\/logo\.png/);
  await page.close();
});

// Waits until the backdrop's picture is decoded and two frames have been drawn since.
async function backdropPainted(page) {
  await page.waitForFunction(() => /url\(/.test(document.querySelector('.mw-backdrop').style.backgroundImage));
  await page.evaluate(async () => {
    const picture = new Image();
    picture.src = document.querySelector('.mw-backdrop').style.backgroundImage.match(/url\("?([^")]*)/)[1];
    await picture.decode();
    await new Promise((drawn) => requestAnimationFrame(() => requestAnimationFrame(drawn)));
  });
}

test('the image background is really painted where it is asked for', async () => {
  // The 300 x 84 logo tiled over the stage shows at the top-left corner and again one tile lower.
  const tiled = await open({ back_ground: '2{logo/logo.png,titl}', logo_visible: '0', btn_info: '0',
    btn_share: '0', btn_reload: '0', btn_fullscreen: '0', book_title: '' });
  await backdropPainted(tiled);
  const stage = await tiled.screenshot();
  const centred = await open({ back_ground: '2{logo/logo.png,center}', logo_visible: '0', btn_info: '0',
    btn_share: '0', btn_reload: '0', btn_fullscreen: '0', book_title: '' });
  await backdropPainted(centred);
  const plain = await centred.screenshot();
  // The same corner differs: tiled paints the logo there, centred leaves the stage colour.
  const corner = { x: 0, y: 0, width: 300, height: 84 };
  const a = await tiled.screenshot({ clip: corner });
  const b = await centred.screenshot({ clip: corner });
  assert.notDeepEqual(a, b);
  assert.notDeepEqual(stage, plain);
  await Promise.all([tiled.close(), centred.close()]);
});

test('the logo shows with its link, or not at all', async () => {
  const shown = await open({ logo_visible: '1', logo_img: 'logo/logo.png', logo_link: 'https://example.org/books' });
  assert.equal(await shown.getAttribute('a.mw-logo', 'href'), 'https://example.org/books');
  assert.equal(await shown.getAttribute('a.mw-logo', 'target'), '_blank');
  await shown.waitForFunction(() => document.querySelector('.mw-logo img').naturalWidth === 300);
  assert.match(await shown.getAttribute('.mw-logo img', 'src'), /^logo\/logo\.png/);

  const bare = await open({ logo_link: 'www.example.org' });
  assert.equal(await bare.getAttribute('a.mw-logo', 'href'), 'http://www.example.org');
  const unlinked = await open({ logo_link: '' });
  assert.equal(await unlinked.$('a.mw-logo'), null);
  assert.ok(await unlinked.$('span.mw-logo img'));
  const missing = await open({ logo_img: 'logo/none.png' });
  await missing.waitForFunction(() => !document.querySelector('.mw-logo'));
  const hidden = await open({ logo_visible: '0' });
  assert.equal(await hidden.$('.mw-logo'), null);
  await Promise.all([shown.close(), bare.close(), unlinked.close(), missing.close(), hidden.close()]);
});

// In a browser full screen is always offered (the preview's own rule is the host test's); the key
// list's button is there for phones and hidden on wider screens.
test('buttons set to 0 are absent, buttons set to 1 are there', async () => {
  const shown = (page) => page.$$eval('.mw-buttons button', (b) => b.filter((x) => x.offsetParent)
    .map((x) => x.className.split(' ')[1]));
  const all = await open({ btn_fullscreen: '1', btn_share: '1', btn_reload: '1', btn_info: '1' });
  assert.deepEqual(await shown(all), ['mw-info-button', 'mw-share-button', 'mw-reload-button', 'mw-fullscreen-button']);
  const none = await open({ btn_fullscreen: '0', btn_share: '0', btn_reload: '0', btn_info: '0' });
  assert.deepEqual(await shown(none), ['mw-fullscreen-button']);
  assert.deepEqual(await none.$$eval('.mw-panel', (p) => p.map((x) => x.id)), ['mw-help-panel']);
  const some = await open({ btn_fullscreen: '0', btn_share: '1', btn_reload: '0', btn_info: '1' });
  assert.deepEqual(await shown(some), ['mw-info-button', 'mw-share-button', 'mw-fullscreen-button']);
  await Promise.all([all.close(), none.close(), some.close()]);
});

test('the share panel shows the page address to copy', async () => {
  const page = await open({});
  await page.click('.mw-share-button');
  await page.waitForSelector('.mw-share-panel.mw-open');
  assert.equal(await page.inputValue('.mw-address'), page.url());
  assert.equal(await page.evaluate(() => document.activeElement.className), 'mw-address');
  await page.click('.mw-info-button');
  assert.equal(await page.$('.mw-share-panel.mw-open'), null, 'one panel at a time');
  await page.keyboard.press('Escape');
  assert.equal(await page.$('.mw-info-panel.mw-open'), null);
  await page.close();
});

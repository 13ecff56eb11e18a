// Reading a book in a browser: a link that opens one slide, the address that follows the viewer,
// Share of the slide in view, picking up where the reader stopped, and full screen; on a desktop
// and a phone, from disk and over HTTP, as the page itself and inside an <iframe>.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const s = require('./support');

const DESKTOP = { viewport: { width: 1024, height: 640 } };
const PHONE = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true };

let browser;
let server;
let dir;

// The page that embeds the book, the way the publish dialog's snippet does.
function writeEmbedding(folder, name, frameAttributes) {
  fs.writeFileSync(path.join(folder, name), '<!DOCTYPE html><html><head><meta charset="utf-8"><title>Host</title>' +
    '</head><body style="margin:0"><p>Around the book</p>' +
    `<iframe src="${frameAttributes.src || 'index.html'}${frameAttributes.fragment || ''}" width="800" height="500" ${frameAttributes.allow ? 'allowfullscreen' : ''}` +
    ' title="Book"></iframe></body></html>');
}

before(async () => {
  browser = await s.launchBrowser();
  const context = await browser.newContext();
  const pictures = await s.drawSlides(context, 3);
  await context.close();
  dir = s.makeWall({ images: s.numbered(12), pictures, attributes: { btn_fullscreen: '0' } });
  writeEmbedding(dir, 'embed.html', { fragment: '#slide=4', allow: true });
  server = await s.serve(dir);
  // A frame of another origin may go full screen only when allowed to (a frame of the same origin
  // may by default).
  writeEmbedding(dir, 'bare.html', { src: server.url.replace('127.0.0.1', 'localhost') + 'index.html', allow: false });
});

after(async () => {
  await server.close();
  await browser.close();
  s.removeDirs([dir]);
});

// The book's frame: the page itself, or the <iframe> of the embedding page once its wall is built.
async function bookIn(page, framed) {
  if (!framed) {
    return page;
  }
  const frame = page.frames().find((f) => f !== page.mainFrame());
  await frame.waitForSelector('#murano-wall[data-state="ready"]');
  return frame;
}

const caption = (book) => book.textContent('.mw-lightbox figcaption');
const address = (book) => book.evaluate(() => location.href);

const cases = [];
for (const [device, options] of [['desktop', DESKTOP], ['phone', PHONE]]) {
  for (const from of ['disk', 'HTTP']) {
    for (const framed of [false, true]) {
      cases.push({ device, options, from, framed });
    }
  }
}

for (const c of cases) {
  test(`${c.device}, ${c.from}${c.framed ? ', in an iframe' : ''}: a slide link opens the viewer and the address follows it`, async () => {
    const context = await browser.newContext(c.options);
    const base = c.from === 'disk' ? s.fileUrl(dir).replace(/index\.html$/, '') : server.url;
    const page = await context.newPage();
    page.errors = [];
    page.on('pageerror', (error) => page.errors.push(error.message));
    await page.goto(base + (c.framed ? 'embed.html' : 'index.html#slide=4'));
    const book = await bookIn(page, c.framed);
    await book.waitForSelector('.mw-lightbox.mw-open');
    assert.equal(await caption(book), '4 / 12');
    assert.match(await book.getAttribute('.mw-lightbox img', 'src'), /^wallimages\/3\.jpg/);
    const entries = await book.evaluate(() => history.length);
    await book.press('.mw-lightbox', 'ArrowRight');
    await book.press('.mw-lightbox', 'ArrowRight');
    assert.match(await address(book), /index\.html#slide=6$/);
    assert.equal(await book.evaluate(() => history.length), entries, 'the address is replaced, not added to');
    // Share hands over the link to the slide in view.
    await book.click('.mw-viewer-share');
    await book.waitForSelector('.mw-share-panel.mw-open');
    assert.match(await book.inputValue('.mw-address'), /index\.html#slide=6$/);
    await book.press('.mw-address', 'Escape');
    assert.ok(await book.$('.mw-lightbox.mw-open'), 'Escape puts the panel away first');
    await book.press('.mw-lightbox', 'Escape');
    assert.equal(await book.$('.mw-lightbox.mw-open'), null);
    assert.match(await address(book), /index\.html$/, 'closing the viewer clears the slide from the address');
    // A published page offers full screen whatever btn_fullscreen says; F asks for it too.
    await book.press('body', 'f');
    await book.waitForFunction(() => !!document.fullscreenElement);
    await book.press('body', 'f');
    await book.waitForFunction(() => !document.fullscreenElement);
    assert.deepEqual(page.errors, []);
    await context.close();
  });
}

test('bad fragments open no slide; a fragment typed later opens its slide', async () => {
  const context = await browser.newContext(DESKTOP);
  for (const fragment of ['#slide=0', '#slide=13', '#slide=abc', '#slide=-2', '#slide=3x', '#slide=', '#top', '#slide=1e1']) {
    const page = await s.openWall(context, s.fileUrl(dir) + fragment);
    assert.equal(await page.$('.mw-lightbox.mw-open'), null, fragment);
    assert.equal(await page.getAttribute('#murano-wall', 'data-current'), '0', fragment);
    assert.deepEqual(page.errors, [], fragment);
    await page.close();
  }
  const page = await s.openWall(context, server.url);
  await page.evaluate(() => { location.hash = '#slide=9'; });
  await page.waitForSelector('.mw-lightbox.mw-open');
  assert.equal(await caption(page), '9 / 12');
  await context.close();
});

test('the reader continues where they stopped, after a reload; a slide link wins over it', async () => {
  for (const options of [DESKTOP, PHONE]) {
    const context = await browser.newContext(options);
    const page = await s.openWall(context, server.url + 'index.html#slide=7');
    await page.press('.mw-lightbox', 'ArrowRight');
    await page.press('.mw-lightbox', 'Escape');
    await page.reload();
    await page.waitForSelector('#murano-wall[data-state="ready"]');
    const offer = page.getByRole('button', { name: 'Continue at slide 8' });
    await offer.waitFor();
    assert.equal(await page.$('.mw-lightbox.mw-open'), null, 'the book opens on its wall');
    await (options.hasTouch ? offer.tap() : offer.click());
    await page.waitForSelector('.mw-lightbox.mw-open');
    assert.equal(await caption(page), '8 / 12');
    await page.press('.mw-lightbox', 'Escape');

    // The first other action puts the offer away.
    await page.reload();
    await offer.waitFor();
    await page.keyboard.press('ArrowRight');
    await offer.waitFor({ state: 'detached' });
    // A link to a slide opens that slide and offers nothing.
    await page.goto(server.url + 'index.html#slide=2');
    await page.waitForSelector('.mw-lightbox.mw-open');
    assert.equal(await caption(page), '2 / 12');
    assert.equal(await page.$('.mw-resume'), null);
    // Another book keeps its own place: the same wall from disk has none yet.
    const other = await s.openWall(context, s.fileUrl(dir));
    assert.equal(await other.$('.mw-resume'), null);
    await context.close();
  }
});

test('in a frame without allowfullscreen there is no full-screen button; the preview keeps btn_fullscreen', async () => {
  const context = await browser.newContext(DESKTOP);
  const page = await context.newPage();
  await page.goto(server.url + 'bare.html');
  const book = await bookIn(page, true);
  assert.equal(await book.$('.mw-fullscreen-button'), null);
  await book.press('body', 'f');
  assert.equal(await book.evaluate(() => !!document.fullscreenElement), false);
  // Inside murano (the host's web channel present) btn_fullscreen="0" hides it, and F does nothing.
  const preview = await s.openWall(context, s.fileUrl(dir), { init: () => { window.qt = { webChannelTransport: {} }; } });
  assert.equal(await preview.$('.mw-fullscreen-button'), null);
  await preview.keyboard.press('f');
  assert.equal(await preview.evaluate(() => !!document.fullscreenElement), false);
  await context.close();
});

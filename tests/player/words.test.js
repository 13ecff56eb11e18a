// The deck's words in the player: search (case and accents, Enter, a click, Escape, phones and
// right to left), links over the slide (web pages in a new tab, jumps, unsafe schemes dropped, the
// keyboard, any size and zoom), titles as text alternatives, speaker notes, hostile text kept
// inert, and walls without words (or with a broken file) playing as before.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const s = require('./support');

const DESKTOP = { viewport: { width: 1024, height: 640 } };
const PHONE = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true };

const HOSTILE_TITLE = '<img src=x onerror="window.pwned=1">Hostile';
const WORDS = {
  version: 1, title: 'Review', author: 'North', language: 'de-DE',
  slides: [
    { title: 'Quarterly Résumé', text: 'Revenue grew in the northern region.\nCafé sales doubled.',
      notes: 'Mention the café numbers.', alt: ['A chart of revenue'],
      links: [
        { x: 0.1, y: 0.8, w: 0.3, h: 0.06, url: 'https://example.org/report' },
        { x: 0.6, y: 0.8, w: 0.2, h: 0.06, slide: 5 },
        { x: 0.1, y: 0.1, w: 0.2, h: 0.05, url: 'mailto:team@example.org' },
        { x: 0.5, y: 0.1, w: 0.2, h: 0.05, url: 'javascript:window.pwned=5' },
        { x: 0.5, y: 0.2, w: 0.2, h: 0.05, url: ' JaVaScRiPt:window.pwned=6' },
        { x: 0.5, y: 0.3, w: 0.2, h: 0.05, url: 'java\nscript:window.pwned=7' },
        { x: 0.5, y: 0.4, w: 0.2, h: 0.05, url: 'data:text/html,<script>parent.pwned=8</script>' },
        { x: 0.5, y: 0.5, w: 0.2, h: 0.05, slide: 99 },
        { x: 0.5, y: 0.6, w: 0, h: 0.05, url: 'https://example.org/empty' }
      ] },
    { title: 'Slide 2', text: '' },
    { title: 'ÉTÉ Straße', text: 'Summer plans for the STRASSE office' },
    { title: HOSTILE_TITLE, text: '<script>window.pwned=2</script>\u0007bell <b>bold</b>',
      alt: ['"><svg onload="window.pwned=3">'], links: [{ x: 0, y: 0, w: 1, h: 1, url: 'javascript:window.pwned=4' }] },
    ...Array.from({ length: 8 }, (_, i) => ({ title: `Topic ${i + 5}`, text: `filler text number ${i + 5}` }))
  ]
};

let browser;
let server;
let pictures;
const dirs = [];

function wall(options) {
  const dir = s.makeWall(Object.assign({ images: s.numbered(12), pictures }, options));
  dirs.push(dir);
  return dir;
}

let wordsWall;

before(async () => {
  browser = await s.launchBrowser();
  const context = await browser.newContext();
  pictures = await s.drawSlides(context, 3);
  await context.close();
  wordsWall = wall({ words: WORDS });
  server = await s.serve(wordsWall);
});

after(async () => {
  await server.close();
  await browser.close();
  s.removeDirs(dirs);
});

async function openBook(device, url, options) {
  const context = await browser.newContext(device);
  await context.route('https://example.org/**', (route) => route.fulfill({ contentType: 'text/html', body: 'report' }));
  const page = await s.openWall(context, url, options);
  await page.waitForSelector('#murano-wall[data-words]');
  page.closeAll = () => context.close();
  return page;
}

const caption = (page) => page.textContent('.mw-lightbox figcaption');
const listed = (page) => page.$$eval('.mw-result', (r) => r.map((e) => Number(e.dataset.index) + 1));

async function search(page, query) {
  if (!(await page.$('.mw-search-panel.mw-open'))) {
    await page.click('.mw-search-button');
  }
  await page.fill('.mw-search-field', query);
  return listed(page);
}

test('search finds slides whatever the case and accents, from disk and over HTTP', async () => {
  const cases = { cafe: [1], 'CAFÉ': [1], strasse: [3], ete: [3], 'resume revenue': [1], 'revenue resume': [1],
    chart: [1], topic: [5, 6, 7, 8, 9, 10, 11, 12], 'topic 1': [10, 11, 12], '<script>': [4], 'nothing here': [],
    mention: [], '   ': [] };
  for (const url of [s.fileUrl(wordsWall), server.url]) {
    const page = await openBook(DESKTOP, url);
    assert.equal(await page.getAttribute('#murano-wall', 'data-words'), 'ready', url);
    assert.equal(await page.getAttribute('.mw-search-button', 'aria-label'), 'Search');
    for (const [query, expected] of Object.entries(cases)) {
      assert.deepEqual(await search(page, query), expected, `${url}: ${query}`);
    }
    await search(page, 'cafe');
    assert.equal(await page.textContent('.mw-result mark'), 'Café');
    assert.equal(await page.textContent('.mw-search-status'), '1 slide matches.');
    assert.deepEqual(page.errors, []);
    await page.closeAll();
  }
});

test('Enter opens the first slide found, a click the one clicked; Escape closes the search', async () => {
  const page = await openBook(DESKTOP, s.fileUrl(wordsWall));
  await search(page, 'topic');
  await page.press('.mw-search-field', 'Enter');
  await page.waitForSelector('.mw-lightbox.mw-open');
  assert.match(await caption(page), /^5 \/ 12/);
  assert.equal(await page.$('.mw-search-panel.mw-open'), null);
  await page.keyboard.press('Escape');
  await search(page, 'strasse');
  await page.click('.mw-result');
  await page.waitForSelector('.mw-lightbox.mw-open');
  assert.match(await caption(page), /^3 \/ 12/);
  await page.keyboard.press('Escape');
  await page.click('.mw-search-button');
  await page.keyboard.type('topic');
  const current = await page.getAttribute('#murano-wall', 'data-current');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.index), '5', 'the arrows walk the list');
  assert.equal(await page.getAttribute('#murano-wall', 'data-current'), current, 'the wall stays put');
  await page.keyboard.press('Escape');
  assert.equal(await page.$('.mw-search-panel.mw-open'), null);
  assert.equal(await page.evaluate(() => document.activeElement.className), 'mw-button mw-search-button');
  assert.deepEqual(page.errors, []);
  await page.closeAll();
});

test('search on a phone, and mirrored on a right-to-left book', async () => {
  const rtl = wall({ words: WORDS, attributes: { direction: 'rtl' } });
  for (const [device, dir] of [[PHONE, wordsWall], [DESKTOP, rtl], [PHONE, rtl]]) {
    const page = await openBook(device, s.fileUrl(dir));
    await (device.hasTouch ? page.tap('.mw-search-button') : page.click('.mw-search-button'));
    await page.fill('.mw-search-field', 'été');
    const box = await page.$eval('.mw-search-panel', (e) => e.getBoundingClientRect().toJSON());
    const width = device.viewport.width;
    assert.ok(box.left >= 0 && box.right <= width, 'the panel fits the screen');
    if (dir === rtl && device === DESKTOP) {
      assert.ok(box.left < width / 2, 'the panel opens on the left of a right-to-left book');
    }
    if (device.hasTouch) {
      assert.ok(box.top < 40, 'the field stays above the screen keyboard');
      await page.tap('.mw-result');
    } else {
      await page.click('.mw-result');
    }
    await page.waitForSelector('.mw-lightbox.mw-open');
    assert.match(await caption(page), /^3 \/ 12/);
    assert.deepEqual(page.errors, []);
    await page.closeAll();
  }
});

// Each link's box against the picture's box and the link's fractions.
async function linkBoxes(page) {
  return page.evaluate(() => {
    const img = document.querySelector('.mw-slide img').getBoundingClientRect();
    return [...document.querySelectorAll('.mw-link')].map((a) => {
      const r = a.getBoundingClientRect();
      return { href: a.getAttribute('href'), x: (r.left - img.left) / img.width, y: (r.top - img.top) / img.height,
        w: r.width / img.width, h: r.height / img.height };
    });
  });
}

test('links lie over the slide where the deck has them, at any size and zoom; unsafe ones are dropped', async () => {
  const expected = WORDS.slides[0].links.slice(0, 3);
  for (const [device, zoom] of [[DESKTOP, false], [DESKTOP, true], [PHONE, false]]) {
    const page = await openBook(device, s.fileUrl(wordsWall) + '#slide=1');
    await page.waitForSelector('.mw-link');
    await page.waitForFunction(() => document.querySelector('.mw-slide img').naturalWidth > 0);
    if (zoom) {
      await page.keyboard.press('+');
      await page.keyboard.press('+');
    }
    // Once the zoom has glided to its place.
    await page.waitForFunction(() => ['.mw-links', '.mw-slide img'].every((q) => !document.querySelector(q).getAnimations().length));
    const boxes = await linkBoxes(page);
    assert.deepEqual(boxes.map((b) => b.href), ['https://example.org/report', '#slide=5', 'mailto:team@example.org']);
    boxes.forEach((box, i) => {
      for (const k of ['x', 'y', 'w', 'h']) {
        assert.ok(Math.abs(box[k] - expected[i][k]) < 0.01, `${box.href} ${k}: ${box[k]} for ${expected[i][k]}`);
      }
    });
    assert.deepEqual(page.errors, []);
    await page.closeAll();
  }
});

test('a web link opens in a new tab without its opener; a jump moves the viewer; both by keyboard', async () => {
  const page = await openBook(DESKTOP, s.fileUrl(wordsWall) + '#slide=1');
  await page.waitForSelector('.mw-link');
  const web = page.locator('.mw-link[href^="https:"]');
  assert.equal(await web.getAttribute('target'), '_blank');
  assert.match(await web.getAttribute('rel'), /\bnoopener\b/);
  // A swipe across the link follows no link: towards the next slide it steps, towards the
  // previous one (there is none) it does nothing.
  const box = await web.boundingBox();
  const opened = [];
  page.context().on('page', (other) => opened.push(other));
  const swipe = async (from, to) => {
    await page.mouse.move(from, box.y + box.height / 2);
    await page.mouse.down();
    await page.mouse.move((from + to) / 2, box.y + box.height / 2, { steps: 4 });
    await page.mouse.move(to, box.y + box.height / 2, { steps: 4 });
    await page.mouse.up();
  };
  await swipe(box.x + 10, box.x + box.width - 10);
  await page.waitForTimeout(300);
  assert.match(await caption(page), /^1 \//);
  await swipe(box.x + box.width - 10, box.x + 10);
  await page.waitForFunction(() => /^2 \//.test(document.querySelector('.mw-lightbox figcaption').textContent));
  assert.equal(opened.length, 0);
  await page.keyboard.press('ArrowLeft');
  await page.waitForSelector('.mw-link');
  const [popup] = await Promise.all([page.context().waitForEvent('page'), web.click()]);
  await popup.waitForLoadState();
  assert.equal(popup.url(), 'https://example.org/report');
  assert.equal(await popup.evaluate(() => window.opener), null);
  await popup.close();
  // Tab reaches the links; a focused link shows.
  let focused = '';
  for (let i = 0; i < 12 && focused !== '#slide=5'; i++) {
    await page.keyboard.press('Tab');
    focused = await page.evaluate(() => document.activeElement.getAttribute('href') || '');
  }
  assert.equal(focused, '#slide=5');
  assert.notEqual(await page.evaluate(() => getComputedStyle(document.activeElement).boxShadow), 'none');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => /^5 \//.test(document.querySelector('.mw-lightbox figcaption').textContent));
  assert.equal(await page.getAttribute('.mw-lightbox img', 'alt'), 'Topic 5');
  assert.equal(await page.$$eval('.mw-link', (l) => l.length), 0, 'the next slide has links of its own');
  assert.deepEqual(page.errors, []);
  await page.closeAll();
});

test('tiles and the viewer carry the slides\' titles and text; speaker notes show on request', async () => {
  const page = await openBook(DESKTOP, s.fileUrl(wordsWall));
  const tiles = await page.$$eval('.mw-tile', (t) => t.slice(0, 3).map((e) => [e.querySelector('.mw-card img').alt, e.getAttribute('aria-label')]));
  assert.deepEqual(tiles, [['Quarterly Résumé', 'Slide 1 of 12: Quarterly Résumé'], ['Slide 2', 'Slide 2 of 12'],
    ['ÉTÉ Straße', 'Slide 3 of 12: ÉTÉ Straße']]);
  await page.click('.mw-tile[data-index="0"]');
  await page.waitForSelector('.mw-lightbox.mw-open');
  assert.equal(await page.getAttribute('.mw-lightbox img', 'alt'), 'Quarterly Résumé');
  assert.equal(await page.textContent('.mw-lightbox figcaption'), '1 / 12: Quarterly Résumé');
  const text = await page.$$eval('.mw-slide-text > *', (e) => e.map((n) => n.textContent));
  assert.deepEqual(text, ['Quarterly Résumé', 'Revenue grew in the northern region.', 'Café sales doubled.',
    'Picture: A chart of revenue']);
  assert.equal(await page.getAttribute('.mw-slide-text', 'lang'), 'de-DE');
  assert.equal(await page.isVisible('.mw-notes'), false);
  await page.click('.mw-notes-button');
  assert.equal(await page.textContent('.mw-notes'), 'Mention the café numbers.');
  assert.equal(await page.getAttribute('.mw-notes-button', 'aria-expanded'), 'true');
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.textContent('.mw-notes'), 'No notes for this slide.');
  assert.deepEqual(page.errors, []);
  await page.closeAll();
});

test('words follow the index\'s image lines when the wall leaves one out; no notes, no Notes button', async () => {
  const dir = wall({ images: ['0.jpg', 'javascript:x.jpg', '2.jpg'], words: { version: 1, slides: [
    { title: 'First', links: [{ x: 0, y: 0, w: 0.5, h: 0.5, slide: 3 }, { x: 0.5, y: 0, w: 0.5, h: 0.5, slide: 2 }] },
    { title: 'Left out' }, { title: 'Third' }] } });
  const page = await openBook(DESKTOP, s.fileUrl(dir) + '#slide=1');
  assert.deepEqual(await page.$$eval('.mw-card img', (i) => i.map((e) => e.alt)), ['First', 'Third']);
  await page.waitForSelector('.mw-link');
  assert.deepEqual(await page.$$eval('.mw-link', (l) => l.map((e) => e.getAttribute('href'))), ['#slide=2']);
  await page.click('.mw-link');
  await page.waitForFunction(() => document.querySelector('.mw-lightbox img').alt === 'Third');
  assert.equal(await page.$('.mw-notes-button'), null);
  await page.closeAll();
});

test('hostile words stay text everywhere they are shown', async () => {
  const page = await openBook(DESKTOP, s.fileUrl(wordsWall) + '#slide=4');
  await page.waitForFunction(() => document.querySelector('.mw-lightbox img').alt.includes('Hostile'));
  const inViewer = await page.evaluate(() => ({ text: document.querySelector('.mw-slide-text').textContent,
    alt: document.querySelector('.mw-lightbox img').alt, links: document.querySelectorAll('.mw-link').length }));
  await page.keyboard.press('Escape');
  await search(page, 'bold');
  const seen = await page.evaluate(() => ({
    pwned: window.pwned,
    injected: document.querySelectorAll('#murano-wall script, #murano-wall b, #murano-wall svg[onload], [onerror]').length,
    result: document.querySelector('.mw-result').textContent,
    tile: document.querySelector('.mw-tile[data-index="3"] img').alt
  }));
  assert.equal(seen.pwned, undefined);
  assert.equal(seen.injected, 0);
  assert.equal(inViewer.alt, HOSTILE_TITLE);
  assert.equal(seen.tile, HOSTILE_TITLE);
  assert.ok(seen.result.includes(HOSTILE_TITLE) && seen.result.includes('<b>bold</b>'), seen.result);
  assert.ok(inViewer.text.includes('<script>window.pwned=2</script>bell'), 'markup shows as text, control characters go');
  assert.ok(inViewer.text.includes('Picture: "><svg onload="window.pwned=3">'));
  assert.equal(inViewer.links, 0, 'a javascript: link is no link');
  assert.deepEqual(page.errors, []);
  await page.closeAll();
});

test('a wall without words, or with a broken words file, plays as before', async () => {
  const marked = wall({});
  const markedPage = path.join(marked, 'index.html');
  fs.writeFileSync(markedPage, fs.readFileSync(markedPage, 'utf8').replace('</head>', '<meta name="murano-words" content="none">\n</head>'));
  const cases = [['no words', wall({})], ['not JSON', wall({ words: '{"slides": [' })],
    ['no slides', wall({ words: '{"version": 1, "slides": "x"}' })], ['published without words', marked]];
  for (const [name, dir] of cases) {
    for (const url of [s.fileUrl(dir), 'served']) {
      const served = url === 'served' ? await s.serve(dir) : null;
      const page = await openBook(DESKTOP, served ? served.url : url);
      assert.equal(await page.getAttribute('#murano-wall', 'data-words'), 'none', name);
      assert.equal(await page.$('.mw-search-button'), null, name);
      assert.equal(await page.getAttribute('.mw-card img', 'alt'), 'Slide 1', name);
      await page.click('.mw-tile[data-index="1"]');
      await page.waitForSelector('.mw-lightbox.mw-open');
      assert.equal(await page.getAttribute('.mw-lightbox img', 'alt'), 'Slide 2', name);
      assert.equal(await page.$$eval('.mw-link, .mw-notes-button', (e) => e.length), 0, name);
      assert.deepEqual(page.errors, [], name);
      await page.closeAll();
      if (served) {
        const asked = served.requests.filter((r) => /words/.test(r));
        assert.equal(asked.length > 0, dir !== marked, `${name} asked for ${asked}`);
        await served.close();
      }
    }
  }
});

test('the page\'s own copy of the words shows without scripts and is hidden once the player runs', async () => {
  const dir = wall({ words: WORDS });
  const page = path.join(dir, 'index.html');
  fs.writeFileSync(page, fs.readFileSync(page, 'utf8').replace('<div id="murano-wall"></div>\n',
    '<div id="murano-wall"></div>\n<section id="murano-words"><h2>Quarterly R&#xe9;sum&#xe9;</h2><p>Revenue grew</p></section>\n'));
  const sizes = {};
  for (const scripts of [true, false]) {
    const context = await browser.newContext(Object.assign({ javaScriptEnabled: scripts }, DESKTOP));
    const book = await context.newPage();
    await book.goto(s.fileUrl(dir));
    if (scripts) {
      await book.waitForSelector('#murano-wall[data-state="ready"]');
    }
    sizes[scripts] = await book.$eval('#murano-words', (e) => [e.getBoundingClientRect().height, e.textContent]);
    await context.close();
  }
  assert.ok(sizes[false][0] > 20, 'shown without scripts');
  assert.ok(sizes[true][0] <= 1, 'hidden with the player');
  assert.equal(sizes[true][1], 'Quarterly RésuméRevenue grew', 'still in the page');
});

test('search results and the viewer with links and notes pass an accessibility audit', async () => {
  const page = await openBook(DESKTOP, s.fileUrl(wordsWall));
  await search(page, 'topic');
  const inSearch = s.seriousViolations(await s.audit(page));
  await page.keyboard.press('Escape');
  await page.click('.mw-tile[data-index="0"]');
  await page.waitForSelector('.mw-link');
  await page.click('.mw-notes-button');
  const viewer = s.seriousViolations(await s.audit(page));
  assert.deepEqual({ inSearch, viewer }, { inSearch: [], viewer: [] });
  await page.closeAll();
});

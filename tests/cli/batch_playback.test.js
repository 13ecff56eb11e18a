// murano walls, run once on a folder of two generated decks: each published wall plays in headless
// Chromium, served over HTTP and opened straight from disk.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { launch, serve, fileUrl, openWall, removeDirs } = require('../player/support.js');

const DECKS = process.env.MURANO_DECK_DIR;
const SLIDES = { twelve: 12, three: 3 };

let scratch;
let walls;
let browser;

before(async () => {
  scratch = fs.mkdtempSync(path.join(require('node:os').tmpdir(), 'murano-batch-'));
  const decks = path.join(scratch, 'decks');
  walls = path.join(scratch, 'walls');
  fs.mkdirSync(decks);
  for (const deck of ['twelve.pptx', 'three.odp']) {
    fs.symlinkSync(path.join(DECKS, deck), path.join(decks, deck));
  }
  const env = { ...process.env, XDG_STATE_HOME: scratch };
  delete env.DISPLAY;
  const summary = execFileSync(process.env.MURANO_PROGRAM, ['walls', decks, '--output', walls], {
    env,
    encoding: 'utf8',
  });
  const done = summary.trim().split('\n').slice(1).map((line) => line.split(/\s+/).slice(0, 3));
  assert.deepEqual(done.sort(), [
    ['three', 'done', '3'],
    ['twelve', 'done', '12'],
  ]);
  browser = await launch();
});

after(async () => {
  if (browser) {
    await browser.close();
  }
  removeDirs([scratch]);
});

async function assertPlays(url, deck) {
  const page = await openWall(browser.context, url);
  await page.waitForFunction(() => {
    const thumbs = [...document.querySelectorAll('.mw-card img')];
    return thumbs.length > 0 && thumbs.every((img) => img.complete && img.naturalWidth > 0);
  });
  assert.equal(await page.title(), deck);
  assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), String(SLIDES[deck]));
  assert.deepEqual(page.errors, []);
  await page.close();
}

for (const deck of Object.keys(SLIDES)) {
  test(`the wall of ${deck} plays over HTTP and from disk`, async () => {
    const folder = path.join(walls, deck);
    const server = await serve(folder);
    try {
      await assertPlays(server.url + 'index.html', deck);
    } finally {
      await server.close();
    }
    await assertPlays(fileUrl(folder), deck);
  });
}

// A wall imported from a PDF by the real murano program plays in headless Chromium, served over
// HTTP and opened straight from disk: its pages in the range's order, each in its own shape.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { launch, serve, fileUrl, openWall, removeDirs } = require('../player/support.js');

let scratch;
let wall;
let browser;

before(async () => {
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'murano-pdf-'));
  wall = path.join(scratch, 'wall');
  const env = { ...process.env, XDG_STATE_HOME: scratch };
  delete env.DISPLAY;
  execFileSync(process.env.MURANO_PROGRAM, ['--work', wall, 'import', process.env.MURANO_PDF,
    '--pages', '3, 1'], { env, stdio: 'pipe' });
  browser = await launch();
});

after(async () => {
  if (browser) {
    await browser.close();
  }
  removeDirs([scratch]);
});

async function assertPlays(url) {
  const page = await openWall(browser.context, url);
  const shapes = await page.waitForFunction(() => {
    const thumbs = [...document.querySelectorAll('.mw-card img')];
    const loaded = thumbs.length > 0 && thumbs.every((img) => img.complete && img.naturalWidth > 0);
    return loaded && thumbs.map((img) => img.naturalWidth / img.naturalHeight);
  });
  assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), '2');
  for (const shape of await shapes.jsonValue()) {
    assert.ok(Math.abs(shape - 16 / 9) < 0.05, `a wide page shows ${shape}:1`);
  }
  assert.deepEqual(page.errors, []);
  await page.close();
}

test('a wall imported from a PDF plays over HTTP and from disk', async () => {
  const server = await serve(wall);
  try {
    await assertPlays(server.url + 'index.html');
  } finally {
    await server.close();
  }
  await assertPlays(fileUrl(wall));
});

// A published wall plays wherever it is put: served over HTTP by a server that tells capitals from
// small letters, and opened straight from disk. The wall is made and published by the program's
// own code (publish_tool); the browser is a real headless Chromium.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const TOOL = process.env.MURANO_PUBLISH_TOOL;
const SLIDES = 6;
const TITLE = 'Über "Quartal" <b>4</b> & Co \'26 — 日本';
const KEYWORDS = 'Zahlen, "Umsatz" <script>alert(1)</script>';
const DESCRIPTION = 'Die Zahlen des Quartals & mehr';

let browser;
let scratch;
let work;

function run(...args) {
  execFileSync(TOOL, args, { stdio: ['ignore', 'ignore', 'inherit'] });
}

// Serves a folder on 127.0.0.1 on a free port, finding files by their exact names, and records
// every path it could not serve.
function serve(dir) {
  const missing = [];
  const server = http.createServer((req, res) => {
    const pathname = decodeURIComponent(new URL(req.url, 'http://127.0.0.1').pathname);
    const file = path.join(dir, pathname);
    if (!file.startsWith(dir + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      // The browser asks for a site icon on its own; the page names none.
      if (pathname !== '/favicon.ico') {
        missing.push(pathname);
      }
      res.writeHead(404);
      res.end();
      return;
    }
    res.writeHead(200);
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => resolve({
      url: `http://127.0.0.1:${server.address().port}/`,
      missing,
      close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); })
    }));
  });
}

// Opens the page, waits for the wall and every thumbnail, and reports what the browser saw.
async function play(url) {
  const page = await browser.newPage();
  const failed = [];
  const errors = [];
  page.on('requestfailed', (request) => failed.push(request.url()));
  page.on('response', (response) => {
    if (response.status() >= 400 && !response.url().endsWith('/favicon.ico')) {
      failed.push(response.url());
    }
  });
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(url);
  await page.waitForSelector('#murano-wall[data-state="ready"]');
  await page.waitForFunction(() => {
    const thumbs = [...document.querySelectorAll('.mw-card img')];
    return thumbs.length > 0 && thumbs.every((img) => img.complete && img.naturalWidth > 0);
  });
  const seen = {
    title: await page.title(),
    keywords: await page.getAttribute('meta[name="keywords"]', 'content'),
    description: await page.getAttribute('meta[name="description"]', 'content'),
    metaLines: await page.$$eval('meta[name="keywords"], meta[name="description"]', (m) => m.length),
    slides: await page.getAttribute('#murano-wall', 'data-slides'),
    source: await page.getAttribute('#murano-wall', 'data-source'),
    thumbnails: await page.$$eval('.mw-card img', (imgs) => imgs.length),
    logo: await page.$eval('.mw-logo img', (img) => img.naturalWidth > 0),
    failed,
    errors
  };
  await page.close();
  return seen;
}

function assertPlays(seen, source) {
  assert.equal(seen.title, TITLE);
  assert.equal(seen.keywords, KEYWORDS);
  assert.equal(seen.description, DESCRIPTION);
  assert.equal(seen.metaLines, 2);
  assert.equal(seen.slides, String(SLIDES));
  assert.equal(seen.source, source);
  assert.equal(seen.thumbnails, SLIDES);
  assert.equal(seen.logo, true);
  // From disk the player tries the index first, which the browser refuses, then takes its twin.
  const refused = source === 'script' ? /\/xml\/images\.xml(\?|$)/ : null;
  assert.deepEqual(seen.failed.filter((url) => !(refused && refused.test(url))), []);
  assert.deepEqual(seen.errors, []);
}

async function assertPlaysServed(dir) {
  const server = await serve(dir);
  try {
    assertPlays(await play(server.url + 'Quarter.html'), 'xml');
    assert.deepEqual(server.missing, []);
  } finally {
    await server.close();
  }
}

before(async () => {
  scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'murano-published-'));
  work = path.join(scratch, 'work');
  run('wall', work, String(SLIDES));
  browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run']
  });
});

after(async () => {
  await browser.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

test('a published folder plays over HTTP and from disk with the title as typed', async () => {
  const out = path.join(scratch, 'html');
  fs.mkdirSync(out);
  run('html', work, out, 'Quarter', TITLE, KEYWORDS, DESCRIPTION);
  await assertPlaysServed(out);
  assertPlays(await play('file://' + path.join(out, 'Quarter.html')), 'script');
});

test('the embedding code shows the published book in another page, with full screen', async () => {
  const out = path.join(scratch, 'embedded');
  fs.mkdirSync(out);
  run('html', work, out, 'Quarter', TITLE, KEYWORDS, DESCRIPTION);
  const snippet = execFileSync(TOOL, ['embed', 'Quarter', TITLE], { encoding: 'utf8' });
  fs.writeFileSync(path.join(out, 'host.html'), '<!DOCTYPE html><meta charset="utf-8"><title>Host</title>' +
    `<p>Our quarter</p>${snippet}`);
  const server = await serve(out);
  const page = await browser.newPage();
  try {
    await page.goto(server.url + 'host.html');
    assert.equal(await page.getAttribute('iframe', 'title'), TITLE, 'the title is escaped, not cut');
    const frame = page.frames().find((f) => f !== page.mainFrame());
    await frame.waitForSelector('#murano-wall[data-state="ready"]');
    assert.equal(await frame.getAttribute('#murano-wall', 'data-slides'), String(SLIDES));
    await frame.click('.mw-fullscreen-button');
    await frame.waitForFunction(() => !!document.fullscreenElement);
    assert.deepEqual(server.missing, []);
  } finally {
    await page.close();
    await server.close();
  }
});

test('an unpacked ZIP output plays over HTTP', async () => {
  const archive = path.join(scratch, 'Quarter.zip');
  const unpacked = path.join(scratch, 'unpacked');
  run('zip', work, archive, 'Quarter', TITLE, KEYWORDS, DESCRIPTION);
  execFileSync('python3', ['-c', 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])',
    archive, unpacked]);
  await assertPlaysServed(unpacked);
});

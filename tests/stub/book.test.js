// A real executable output, end to end: a wall with slides goes through murano's EXE output (the
// archive writer and the payload appended to the stub), the Linux stub unpacks it, and its page
// plays in real headless Chromium from disk with every thumbnail loaded. Where wine runs, the
// Windows stub unpacks the same output to the same files.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { execFileSync, spawnSync } = require('node:child_process');
const s = require('../player/support');

const BIN = process.env.MURANO_BIN_DIR;
const OUTPUT_TOOL = process.env.MURANO_EXE_OUTPUT_TOOL;
const WINE = process.env.MURANO_WINE;
const SLIDES = 12;

let browser;
const dirs = [];
let exe;

function scratch() {
  const dir = fs.mkdtempSync(path.join(require('node:os').tmpdir(), 'murano-book-'));
  dirs.push(dir);
  return dir;
}

function filesBelow(dir) {
  return fs.readdirSync(dir, { recursive: true }).map((p) => p.split(path.sep).join('/')).sort();
}

before(async () => {
  browser = await s.launch();
  const pictures = await s.drawSlides(browser.context, 3);
  const wall = s.makeWall({ images: s.numbered(SLIDES), pictures });
  dirs.push(wall);
  exe = path.join(scratch(), 'wall.exe');
  execFileSync(OUTPUT_TOOL, [wall + '/', exe, path.join(BIN, 'book.exe')]);
});

after(async () => {
  await browser.close();
  s.removeDirs(dirs);
});

test('the unpacked book plays from disk with every thumbnail loaded', async () => {
  const out = path.join(scratch(), 'book');
  const printed = execFileSync(path.join(BIN, 'book'), ['--open', exe, '--extract', out]).toString();
  const page = path.join(out, 'Book', 'index.html');
  assert.equal(printed, page + '\n');
  const files = filesBelow(path.join(out, 'Book'));
  for (const name of ['index.html', 'book.swf', 'swfobject.js', 'xml/images.xml', 'wallimages/0.jpg',
    'wallimages/thumbs/11.jpg']) {
    assert.ok(files.includes(name), name);
  }
  assert.ok(!files.includes('main.swf'));

  const wall = await s.openWall(browser.context, 'file://' + page);
  assert.equal(await wall.getAttribute('#murano-wall', 'data-slides'), String(SLIDES));
  await wall.waitForFunction((count) => {
    const thumbs = [...document.querySelectorAll('.mw-card img')];
    return thumbs.length === count && thumbs.every((i) => i.complete && i.naturalWidth === 180);
  }, SLIDES);
  assert.deepEqual(wall.errors, []);
  await wall.close();
});

test('the Windows stub under wine unpacks the same files', { skip: !WINE && 'wine is not installed' }, () => {
  const linux = path.join(scratch(), 'linux');
  execFileSync(path.join(BIN, 'book'), ['--open', exe, '--extract', linux]);
  const windows = path.join(scratch(), 'windows');
  const run = spawnSync(WINE, [exe, '--extract', 'Z:' + windows.split('/').join('\\')], {
    env: Object.assign({}, process.env, { WINEPREFIX: process.env.MURANO_WINE_PREFIX, WINEDEBUG: '-all',
      WINEDLLOVERRIDES: 'mscoree,mshtml=', DISPLAY: '' }),
    timeout: 240000
  });
  assert.equal(run.status, 0, run.stderr.toString());
  assert.deepEqual(filesBelow(windows), filesBelow(linux));
  for (const name of filesBelow(linux)) {
    const file = path.join(linux, name);
    if (fs.statSync(file).isFile()) {
      assert.ok(fs.readFileSync(file).equals(fs.readFileSync(path.join(windows, name))), name);
    }
  }
});

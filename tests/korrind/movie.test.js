// Movies made by the real converter with korrind.so beside it, checked by code we did not write:
// read by an independent SWF parser (swf-parser) and played by an independent SWF player (Ruffle)
// in real headless Chromium. The generated deck's slides each carry a band of their own colour at
// the bottom, so what the player shows can be told apart by colour.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { startServer, launchBrowser, bandColour, waitForColour, near } = require('./player.js');

const LANTREL = process.env.KORRIND_LANTREL ||
  path.resolve(__dirname, '..', '..', 'build', 'bin', 'lantrel');
const DECK = process.env.KORRIND_DECK ||
  path.resolve(__dirname, '..', '..', 'build', 'tests', 'korrind', 'decks', 'four-slides.pptx');
const SHOTS = process.env.KORRIND_SHOTS || fs.mkdtempSync(path.join(os.tmpdir(), 'korrind-shots-'));

// The band colours of slides 1 to 4 (samples/make-deck.py).
const BANDS = [[0x2d, 0x6c, 0xdf], [0xe0, 0x53, 0x3d], [0x2f, 0xa3, 0x6b], [0xd9, 0xa2, 0x1b]];

let work;
let parseSwf;
let TagType;
const movies = {};

function convert(name, options) {
  const output = path.join(work, `${name}.swf`);
  const log = execFileSync(LANTREL, ['-debug', ...options, DECK, output],
    { encoding: 'utf8', env: Object.assign({}, process.env, { XDG_STATE_HOME: work }) });
  const file = path.join(work, name, `${name}.swf`);
  assert.ok(fs.existsSync(file), `no movie from: ${log}`);
  const bytes = fs.readFileSync(file);
  return { folder: path.join(work, name), file, bytes, movie: parseSwf(bytes), log };
}

// The start-of-frame marker of a JPEG file: 0xc0 for the sequential files every SWF 6 player reads.
function frameMarker(jpeg) {
  let at = 2;
  while (at + 4 <= jpeg.length && jpeg[at] === 0xff) {
    const marker = jpeg[at + 1];
    if (marker >= 0xc0 && marker <= 0xcf && ![0xc4, 0xc8, 0xcc].includes(marker)) {
      return marker;
    }
    at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
  }
  return null;
}

function tagsOf(movie, type) {
  return movie.tags.filter((tag) => tag.type === type);
}

before(async () => {
  ({ parseSwf } = await import('swf-parser'));
  ({ TagType } = await import('swf-types'));
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'korrind-movies-'));
  fs.mkdirSync(SHOTS, { recursive: true });
  movies.standard = convert('standard', []);
  movies.clicked = convert('clicked', ['-swfmouse', '1', '-width', '640', '-height', '480',
    '-swfrate', '24']);
  movies.single = convert('single', ['-mergeall', '0', '-swfdelay', '0', '-swfanmi', '0']);
});

after(() => {
  fs.rmSync(work, { recursive: true, force: true });
});

test('the parser reads a compressed movie of the stage size and rate with four JPEG slides', () => {
  const { bytes, movie } = movies.standard;
  assert.equal(bytes.subarray(0, 3).toString('latin1'), 'CWS');
  assert.ok(movie.header.swfVersion >= 6);
  assert.deepEqual(movie.header.frameSize, { xMin: 0, xMax: 720 * 20, yMin: 0, yMax: 540 * 20 });
  assert.equal(movie.header.frameRate.epsilons / 256, 12);
  assert.equal(movie.header.frameCount, tagsOf(movie, TagType.ShowFrame).length);
  // Slides hold for seconds with the delay on.
  assert.ok(movie.header.frameCount >= 4 * 2 * 12, `only ${movie.header.frameCount} frames`);

  const bitmaps = tagsOf(movie, TagType.DefineBitmap);
  assert.equal(bitmaps.length, 4);
  for (const bitmap of bitmaps) {
    assert.equal(bitmap.mediaType, 'image/jpeg');
    assert.equal(bitmap.width, 720);
    assert.equal(bitmap.height, 540);
    assert.deepEqual([...bitmap.data.subarray(0, 2)], [0xff, 0xd8]);
    assert.equal(frameMarker(bitmap.data), 0xc0);
  }
  // Merged by default: control bar buttons and the loading bar's clip.
  assert.ok(tagsOf(movie, TagType.DefineButton).length >= 3);
  assert.equal(tagsOf(movie, TagType.DefineSprite).length, 1);
  assert.match(movies.standard.log, /Processing slide: 4 of 4\.\.\./);
  assert.ok(fs.existsSync(path.join(movies.standard.folder, 'standard.html')));
});

test('size and rate options reach the movie and its bitmaps', () => {
  const { movie } = movies.clicked;
  assert.deepEqual(movie.header.frameSize, { xMin: 0, xMax: 640 * 20, yMin: 0, yMax: 480 * 20 });
  assert.equal(movie.header.frameRate.epsilons / 256, 24);
  const bitmaps = tagsOf(movie, TagType.DefineBitmap);
  assert.deepEqual(bitmaps.map((b) => [b.width, b.height]), Array(4).fill([640, 480]));
});

test('without merging, delay and animation each slide is one frame and the movie stops', () => {
  const { movie } = movies.single;
  assert.equal(movie.header.frameCount, 4);
  assert.equal(tagsOf(movie, TagType.DefineButton).length, 0);
  assert.equal(tagsOf(movie, TagType.DefineSprite).length, 0);
  const scripts = tagsOf(movie, TagType.DoAction);
  assert.deepEqual([...scripts[scripts.length - 1].actions], [0x07, 0x00]); // stop, end
});

// Where the visible buttons of the first slide sit, left to right, in stage pixels: their
// placements and the size of their hit areas, as the movie itself says.
function controlButtons(movie) {
  const buttons = new Map(tagsOf(movie, TagType.DefineButton).map((b) => [b.id, b]));
  const shapes = new Map(tagsOf(movie, TagType.DefineShape).map((s) => [s.id, s]));
  const found = [];
  for (const tag of movie.tags) {
    if (tag.type === TagType.ShowFrame && found.length > 0) {
      break;
    }
    if (tag.type !== TagType.PlaceObject || !buttons.has(tag.characterId)) {
      continue;
    }
    const records = buttons.get(tag.characterId).records;
    if (!records.some((r) => r.stateUp)) {
      continue; // the invisible click catcher
    }
    const hit = shapes.get(records.find((r) => r.stateHitTest).characterId).bounds;
    found.push({
      x: (tag.matrix.translateX + (hit.xMin + hit.xMax) / 2) / 20,
      y: (tag.matrix.translateY + (hit.yMin + hit.yMax) / 2) / 20
    });
  }
  return found.sort((a, b) => a.x - b.x);
}

test('the player stops on each slide until a click, and the bar\'s buttons move between slides',
  async () => {
    const server = await startServer({ '/movie/': movies.clicked.folder });
    const browser = await launchBrowser();
    try {
      const player = await browser.play(server, 'movie/clicked.swf', 640, 480);
      const band = () => bandColour(player, 640, 480);
      await waitForColour(band, BANDS[0], 'the first slide');
      await player.page.screenshot({ path: path.join(SHOTS, 'clicked-first-slide.png') });
      // At 24 frames a second a movie that did not stop would have faded into slide 2 by now.
      await player.page.waitForTimeout(1500);
      assert.ok(near(await band(), BANDS[0]), 'the first slide did not wait for a click');

      const [previous, pause, next] = controlButtons(movies.clicked.movie);
      assert.ok(previous && pause && next, 'three control bar buttons');
      assert.ok(previous.y > 480 * 0.8, 'the bar sits at the bottom');

      await player.page.mouse.click(320, 150);
      await waitForColour(band, BANDS[1], 'slide 2 after a click');
      await player.page.mouse.click(next.x, next.y);
      await waitForColour(band, BANDS[2], 'slide 3 after next');
      await player.page.mouse.click(previous.x, previous.y);
      await waitForColour(band, BANDS[1], 'slide 2 after previous');
      await player.page.screenshot({ path: path.join(SHOTS, 'clicked-back-to-slide-2.png') });
    } finally {
      await browser.close();
      await server.close();
    }
  });

// Slide 1 showing first is checked on the clicked movie, which waits there; this one runs on its
// own, so a slow machine may first catch it on a later slide.
test('the player moves on through the standard movie by itself, and pause holds it', async () => {
  const server = await startServer({ '/movie/': movies.standard.folder });
  const browser = await launchBrowser();
  try {
    const player = await browser.play(server, 'movie/standard.swf', 720, 540);
    const band = () => bandColour(player, 720, 540);
    const seen = BANDS.indexOf(await waitForColour(band, BANDS, 'any slide'));
    await player.page.screenshot({ path: path.join(SHOTS, 'standard-playing.png') });
    await waitForColour(band, BANDS[(seen + 1) % 4], `slide ${(seen + 1) % 4 + 1} after a hold`,
      15000);

    const [, pause] = controlButtons(movies.standard.movie);
    await player.page.mouse.click(pause.x, pause.y);
    const held = await band();
    await player.page.waitForTimeout(4000); // longer than a hold
    assert.ok(near(await band(), held, 12), 'the movie went on while paused');
    await player.page.mouse.click(pause.x, pause.y);
    await waitForColour(band, BANDS[(seen + 2) % 4], 'the next slide after pressing pause again',
      15000);
    await player.page.screenshot({ path: path.join(SHOTS, 'standard-resumed.png') });
  } finally {
    await browser.close();
    await server.close();
  }
});

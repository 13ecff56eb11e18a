// Shared pieces of the player tests: a real headless Chromium, wall folders made from the built
// template folder, slide images drawn by the browser itself, and a small static HTTP server.
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const http = require('node:http');
const { chromium } = require('playwright-core');

const FLASH_DIR = process.env.MURANO_FLASH_DIR ||
  path.resolve(__dirname, '..', '..', 'build', 'bin', 'flash');

const BROWSER_ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// The start tag's attributes in the order the program writes them, from the table the player is
// built from, with the player's own defaults replaced by the values of a typical wall.
const INDEX_ATTRIBUTES = require('../../platform/player/index_attributes.json').attributes;
const TYPICAL_VALUES = {
  back_ground: '0{0x101820}',
  logo_link: 'https://example.org/',
  book_title: 'Quarterly review',
  email: 'team@example.org',
  website: 'www.example.org',
  display_name: 'North team',
  description: 'Figures of the quarter'
};
const START_TAG_DEFAULTS = Object.fromEntries(INDEX_ATTRIBUTES.map((a) =>
  [a.name, a.name in TYPICAL_VALUES ? TYPICAL_VALUES[a.name] : a.default]));

function tempDir(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// A fresh profile per browser, removed on close.
async function launch() {
  const profile = tempDir('murano-chromium-');
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: BROWSER_ARGS,
    viewport: { width: 855, height: 532 }
  });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

// A browser for contexts of their own (phones, touch screens, reduced motion).
function launchBrowser() {
  return chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: BROWSER_ARGS });
}

// The axe-core accessibility audit of the page as it stands; resolves to axe's results.
async function audit(page, options = {}) {
  await page.addScriptTag({ path: require.resolve('axe-core/axe.min.js') });
  return page.evaluate((opts) => window.axe.run(document, opts), options);
}

// The audit's serious and critical violations, one line each.
function seriousViolations(results) {
  return results.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical')
    .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
}

// The start tag as the program writes it: attributes in a fixed order, each followed by a space.
// Values go in as given, so a test can write entities or raw characters.
function startTag(attributes) {
  const values = Object.assign({}, START_TAG_DEFAULTS, attributes);
  let tag = '<gallery ';
  for (const name of Object.keys(START_TAG_DEFAULTS)) {
    if (values[name] !== undefined && values[name] !== null) {
      tag += `${name}="${values[name]}" `;
    }
  }
  return tag + '>';
}

function indexText(images, attributes) {
  const lines = ['<?xml version="1.0" encoding="utf-8"?>', startTag(attributes)];
  for (const src of images) {
    lines.push(`\t<img src="${src}" width="960" height="720" />`);
  }
  lines.push('</gallery>', '');
  return lines.join('\n');
}

// A script twin (of the index, or of the deck's words under window.muranoWords), written the way
// the program's writer writes it.
function twinText(text, name = 'muranoGallery') {
  const escaped = JSON.stringify(text).replace(/[<>\u2028\u2029]/g,
    (c) => '\\u' + c.charCodeAt(0).toString(16).padStart(4, '0'));
  return `window.${name} = ${escaped};\n`;
}

// Distinct slide pictures (full size and a thumbnail 180 wide of the same shape), drawn as JPEGs by
// the browser's own encoder.
async function drawSlides(context, count, { width = 960, height = 720 } = {}) {
  const page = await context.newPage();
  const pictures = await page.evaluate(({ n, width, height }) => {
    const draw = (i, width, height) => {
      const canvas = document.createElement('canvas');
      canvas.width = width;
      canvas.height = height;
      const g = canvas.getContext('2d');
      const hue = (i * 47) % 360;
      const fill = g.createLinearGradient(0, 0, width, height);
      fill.addColorStop(0, `hsl(${hue},45%,92%)`);
      fill.addColorStop(1, `hsl(${(hue + 40) % 360},40%,78%)`);
      g.fillStyle = fill;
      g.fillRect(0, 0, width, height);
      const u = Math.min(width / 960, height / 720);
      g.fillStyle = `hsl(${hue},55%,32%)`;
      g.fillRect(0, 0, width, 110 * u);
      g.fillStyle = '#fff';
      g.font = `bold ${56 * u}px sans-serif`;
      g.fillText(`Slide ${i + 1}`, 48 * u, 76 * u);
      g.fillStyle = `hsl(${hue},35%,35%)`;
      for (let b = 0; b < 4; b++) {
        g.fillRect(70 * u, (190 + b * 90) * u, (520 - b * 60) * u, 26 * u);
      }
      g.fillStyle = `hsl(${(hue + 180) % 360},50%,55%)`;
      for (let b = 0; b < 5; b++) {
        const h = (80 + ((i * 37 + b * 53) % 220)) * u;
        g.fillRect((640 + b * 52) * u, 600 * u - h, 36 * u, h);
      }
      return canvas.toDataURL('image/jpeg', 0.85).split(',')[1];
    };
    const out = [];
    for (let i = 0; i < n; i++) {
      out.push({ image: draw(i, width, height), thumb: draw(i, 180, Math.round(180 * height / width)) });
    }
    return out;
  }, { n: count, width, height });
  await page.close();
  return pictures.map((p) => ({ image: Buffer.from(p.image, 'base64'), thumb: Buffer.from(p.thumb, 'base64') }));
}

// A wall folder: a copy of the template folder with the given index, its twin (unless twin is
// false, or a text to write instead), the deck's words with their twin when given (an object, or
// a text to write as it stands) and a picture for every image line (pictures are reused in turn
// when there are fewer of them than lines).
function makeWall({ images = [], attributes = {}, xml, twin = true, pictures = [], words } = {}) {
  const dir = tempDir('murano-wall-');
  fs.cpSync(FLASH_DIR, dir, { recursive: true });
  const text = xml !== undefined ? xml : indexText(images, attributes);
  fs.writeFileSync(path.join(dir, 'xml', 'images.xml'), text);
  const twinPath = path.join(dir, 'xml', 'images.js');
  if (twin === false) {
    fs.rmSync(twinPath, { force: true });
  } else {
    fs.writeFileSync(twinPath, typeof twin === 'string' ? twin : twinText(text));
  }
  if (words !== undefined) {
    const json = typeof words === 'string' ? words : JSON.stringify(words);
    fs.writeFileSync(path.join(dir, 'xml', 'words.json'), json);
    fs.writeFileSync(path.join(dir, 'xml', 'words.js'), twinText(json, 'muranoWords'));
  }
  if (pictures.length) {
    images.forEach((src, i) => {
      const picture = pictures[i % pictures.length];
      fs.writeFileSync(path.join(dir, 'wallimages', src), picture.image);
      fs.writeFileSync(path.join(dir, 'wallimages', 'thumbs', src), picture.thumb);
    });
  }
  return dir;
}

function numbered(count) {
  return Array.from({ length: count }, (_, i) => `${i}.jpg`);
}

const TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.xml': 'application/xml',
  '.json': 'application/json',
  '.jpg': 'image/jpeg', '.png': 'image/png', '.swf': 'application/x-shockwave-flash' };

// Serves a folder on 127.0.0.1 on a free port; resolves to { url, requests (the paths asked for), close }.
function serve(dir) {
  const requests = [];
  const server = http.createServer((req, res) => {
    requests.push(req.url);
    const pathname = decodeURIComponent(new URL(req.url, 'http://127.0.0.1').pathname);
    const file = path.join(dir, pathname.endsWith('/') ? pathname + 'index.html' : pathname);
    if (!file.startsWith(dir) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404);
      res.end('not found');
      return;
    }
    res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        requests,
        close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); })
      });
    });
  });
}

function fileUrl(dir) {
  return 'file://' + path.join(dir, 'index.html');
}

// Opens a page and waits until the wall is built; page errors are collected in page.errors.
async function openWall(context, url, { size, init } = {}) {
  const page = await context.newPage();
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  if (size) {
    await page.setViewportSize(size);
  }
  if (init) {
    await page.addInitScript(init);
  }
  await page.goto(url);
  await page.waitForSelector('#murano-wall[data-state="ready"]');
  return page;
}

function removeDirs(dirs) {
  for (const dir of dirs) {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

module.exports = { FLASH_DIR, INDEX_ATTRIBUTES, launch, launchBrowser, audit, seriousViolations, startTag,
  indexText, twinText, drawSlides, makeWall, numbered, serve, fileUrl, openWall, removeDirs };

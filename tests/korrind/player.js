// An independent SWF player for the tests: Ruffle (self-hosted build from node_modules) on a small
// page served over HTTP on 127.0.0.1, in real headless Chromium driven by playwright-core.
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const http = require('node:http');
const { chromium } = require('playwright-core');

const RUFFLE_DIR = path.join(__dirname, 'node_modules', '@ruffle-rs', 'ruffle');

const BROWSER_ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
  '--no-first-run', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--autoplay-policy=no-user-gesture-required'];

const TYPES = {
  '.js': 'text/javascript', '.wasm': 'application/wasm', '.html': 'text/html',
  '.swf': 'application/x-shockwave-flash'
};

// The player fills an element of the stage's size at the page's top left, so page and stage
// coordinates agree. Ruffle's own notices and overlays are switched off; its WebGL renderer comes
// first because its GPU-less fallback greets the first mouse-over with a modal notice.
const PAGE = `<!doctype html>
<html><head><meta charset="utf-8"><title>movie</title></head>
<body style="margin:0;background:#808080">
<div id="stage"></div>
<script>
window.RufflePlayer = { config: {
  publicPath: '/ruffle/', autoplay: 'on', unmuteOverlay: 'hidden', splashScreen: false,
  letterbox: 'off', contextMenu: 'off', warnOnUnsupportedContent: false, logLevel: 'warn',
  preferredRenderer: 'webgl', allowNetworking: 'none', openUrlMode: 'deny'
} };
</script>
<script src="/ruffle/ruffle.js"></script>
<script>
window.addEventListener('load', () => {
  const query = new URLSearchParams(location.search);
  const player = window.RufflePlayer.newest().createPlayer();
  player.style.width = query.get('w') + 'px';
  player.style.height = query.get('h') + 'px';
  player.style.display = 'block';
  document.getElementById('stage').appendChild(player);
  player.ruffle().load('/' + location.hash.slice(1));
});
</script>
</body></html>`;

// Serves the page at / and each folder of `roots` under its prefix ('/movie/' -> folder).
function startServer(roots) {
  const folders = Object.assign({ '/ruffle/': RUFFLE_DIR }, roots);
  const server = http.createServer((request, response) => {
    const url = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    if (url === '/') {
      response.writeHead(200, { 'content-type': 'text/html' });
      response.end(PAGE);
      return;
    }
    for (const [prefix, folder] of Object.entries(folders)) {
      if (!url.startsWith(prefix)) {
        continue;
      }
      const file = path.resolve(folder, url.slice(prefix.length));
      if (file.startsWith(path.resolve(folder) + path.sep) && fs.existsSync(file) &&
          fs.statSync(file).isFile()) {
        response.writeHead(200, { 'content-type': TYPES[path.extname(file)] || 'application/octet-stream' });
        response.end(fs.readFileSync(file));
        return;
      }
    }
    response.writeHead(404);
    response.end();
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}`,
        close: () => new Promise((done) => server.close(done))
      });
    });
  });
}

// A browser with a fresh profile, removed on close.
async function launchBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'korrind-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: BROWSER_ARGS,
    viewport: { width: 800, height: 600 }
  });
  // Screenshots are decoded by the browser itself, on a page of their own.
  const decoder = await context.newPage();
  return {
    async play(server, movie, width, height) {
      const page = context.pages()[0] === decoder ? await context.newPage() : context.pages()[0];
      await page.setViewportSize({ width, height });
      await page.goto(`${server.url}/?w=${width}&h=${height}#${movie}`);
      return { page, decoder };
    },
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    }
  };
}

// The mean colour of a small square of what the page shows.
async function colourAt(player, x, y) {
  const size = 6;
  const png = await player.page.screenshot({
    clip: { x: Math.round(x - size / 2), y: Math.round(y - size / 2), width: size, height: size }
  });
  return player.decoder.evaluate(async (data) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + data;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const pixels = context.getImageData(0, 0, canvas.width, canvas.height).data;
    const sum = [0, 0, 0];
    for (let i = 0; i < pixels.length; i += 4) {
      sum[0] += pixels[i];
      sum[1] += pixels[i + 1];
      sum[2] += pixels[i + 2];
    }
    const count = pixels.length / 4;
    return sum.map((value) => Math.round(value / count));
  }, png.toString('base64'));
}

// The colour of the slide's band: bottom left, clear of the centred control bar.
function bandColour(player, width, height) {
  return colourAt(player, width * 0.1, height * 0.92);
}

function near(colour, expected, tolerance = 40) {
  return colour.every((value, i) => Math.abs(value - expected[i]) <= tolerance);
}

// Samples until the colour is near the expected one (or one of several); returns the match.
async function waitForColour(sample, expected, what, timeout = 20000) {
  const candidates = Array.isArray(expected[0]) ? expected : [expected];
  const deadline = Date.now() + timeout;
  let last = null;
  while (Date.now() < deadline) {
    last = await sample();
    const match = candidates.find((candidate) => near(last, candidate));
    if (match) {
      return match;
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Error(`${what}: the player showed rgb(${last}) instead`);
}

module.exports = { startServer, launchBrowser, bandColour, waitForColour, near };

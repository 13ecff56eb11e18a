// Wall player benchmark in headless Chromium with software rendering, for a wall of many slides:
//   - first tile painted over HTTP, against a plain page showing the same thumbnails as <img> tags
//     (both timed the same way: the first frame after a picture has arrived), and against the
//     wall's own finished page saved without its scripts: what its look costs with no script at all;
//   - frame times while an arrow key is held (key repeat every 33 ms) and during flicks;
//   - frame times in the viewer while a slide is zoomed (Ctrl + wheel) and panned (a dragging pointer).
//     node bench/player-bench.js [slides] [rounds]
'use strict';

const fs = require('node:fs');
const path = require('node:path');
const s = require(path.join(__dirname, '..', 'tests', 'player', 'support'));

const slides = Number(process.argv[2]) || 500;
const rounds = Number(process.argv[3]) || 5;
const sizes = [{ width: 855, height: 532 }, { width: 1600, height: 900 }];

// Records, from the start of the navigation, the first frame that follows the arrival of a picture
// matching the selector.
function markFirstPicture(selector) {
  window.firstPicture = 0;
  const look = () => {
    const shown = [...document.querySelectorAll(selector)].some((img) => img.complete && img.naturalWidth > 0);
    if (shown) {
      requestAnimationFrame(() => { window.firstPicture = performance.now(); });
    } else {
      requestAnimationFrame(look);
    }
  };
  requestAnimationFrame(look);
}

// A page of the first thumbnails, the way a plain web page would show them.
function writePlainPage(dir, count) {
  const images = Array.from({ length: count }, (_, i) =>
    `<img src="wallimages/thumbs/${i}.jpg" width="180" height="135" alt="">`).join('\n');
  fs.writeFileSync(path.join(dir, 'plain.html'), `<!DOCTYPE html>\n<html><head><meta charset="utf-8">` +
    `<title>Plain</title></head><body style="margin:0;background:#0b0e16">\n${images}\n</body></html>\n`);
}

// The wall's page as it stands once ready, without its scripts, its pictures shown as they arrive.
async function writeStillPage(dir, page) {
  const html = await page.evaluate(() => {
    const doc = document.documentElement.cloneNode(true);
    doc.querySelectorAll('script').forEach((script) => script.remove());
    return '<!DOCTYPE html>\n' + doc.outerHTML;
  });
  fs.writeFileSync(path.join(dir, 'still.html'), html);
}

async function firstPaint(context, url, selector, size) {
  const page = await context.newPage();
  await page.setViewportSize(size);
  await page.addInitScript(markFirstPicture, selector);
  await page.goto(url);
  await page.waitForFunction(() => window.firstPicture > 0);
  const time = await page.evaluate(() => window.firstPicture);
  await page.close();
  return time;
}

// Frame gaps while the page is driven by `drive` (run in the page) for the given time.
function frameGaps({ drive, duration }) {
  return new Promise((done) => {
    const times = [];
    const stop = window[drive](duration);
    const start = performance.now();
    const frame = (now) => {
      times.push(now);
      if (now - start < duration) {
        requestAnimationFrame(frame);
      } else {
        stop();
        done(times.slice(1).map((t, i) => t - times[i]));
      }
    };
    requestAnimationFrame(frame);
  });
}

// In-page drivers: an arrow key held down, and flicks to and fro every 700 ms.
function installDrivers() {
  window.holdArrow = () => {
    const press = () => document.dispatchEvent(new KeyboardEvent('keydown', { key: 'ArrowRight', bubbles: true, repeat: true }));
    const timer = setInterval(press, 33);
    return () => clearInterval(timer);
  };
  window.flick = () => {
    const stage = document.querySelector('.mw-stage');
    let direction = -1;
    const send = (type, x) => stage.dispatchEvent(new PointerEvent(type, {
      pointerId: 9, pointerType: 'touch', isPrimary: true, button: 0, clientX: x, clientY: innerHeight / 2, bubbles: true }));
    const one = async () => {
      const from = innerWidth / 2 - direction * 150;
      send('pointerdown', from);
      for (let step = 1; step <= 5; step++) {
        await new Promise((next) => setTimeout(next, 12));
        send('pointermove', from + direction * step * 60);
      }
      send('pointerup', from + direction * 300);
      direction = -direction;
    };
    one();
    const timer = setInterval(one, 700);
    return () => clearInterval(timer);
  };
  // Every 16 ms: half a second of zooming in around the centre, a second of panning in a circle,
  // half a second of zooming out.
  window.zoomPan = () => {
    const viewer = document.querySelector('.mw-lightbox');
    const slide = document.querySelector('.mw-slide img');
    const x = innerWidth / 2;
    const y = innerHeight / 2;
    const pointer = (type, px, py) => slide.dispatchEvent(new PointerEvent(type, {
      pointerId: 7, pointerType: 'mouse', isPrimary: true, button: 0, clientX: px, clientY: py, bubbles: true }));
    let tick = 0;
    const timer = setInterval(() => {
      const phase = tick % 120;
      if (phase < 30 || phase >= 90) {
        viewer.dispatchEvent(new WheelEvent('wheel', { ctrlKey: true, deltaY: phase < 30 ? -20 : 20, clientX: x, clientY: y,
          bubbles: true, cancelable: true }));
      } else {
        const angle = (phase - 30) / 60 * 2 * Math.PI;
        pointer(phase === 30 ? 'pointerdown' : phase === 89 ? 'pointerup' : 'pointermove', x + 120 * Math.cos(angle), y + 80 * Math.sin(angle));
      }
      tick++;
    }, 16);
    return () => clearInterval(timer);
  };
}

function report(size, what, gaps) {
  console.log(`${size.width}x${size.height} ${what.padEnd(14)} ${(1000 * gaps.length / gaps.reduce((a, b) => a + b, 0)).toFixed(1)} fps, ` +
    `95th percentile frame ${percentile(gaps, 0.95).toFixed(1)} ms, worst ${Math.max(...gaps).toFixed(1)} ms`);
}

const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const percentile = (values, p) => values.slice().sort((a, b) => a - b)[Math.floor(values.length * p)];

(async () => {
  const browser = await s.launch();
  const pictures = await s.drawSlides(browser.context, 12);
  const dir = s.makeWall({ images: s.numbered(slides), pictures,
    attributes: { back_ground: '2{background/background.jpg,stretch}' } });
  const server = await s.serve(dir);
  // Other work on the machine stretches every figure: the load is printed with them.
  console.log(`Wall player, ${slides} slides, headless Chromium with software rendering (--disable-gpu); ` +
    `load average ${require('node:os').loadavg()[0].toFixed(1)} on ${require('node:os').cpus().length} cores`);
  try {
    for (const size of sizes) {
      const probe = await s.openWall(browser.context, server.url, { size });
      const shown = await probe.$$eval('.mw-tile', (tiles) => tiles.length);
      await writeStillPage(dir, probe);
      await probe.close();
      writePlainPage(dir, shown);
      const wall = [];
      const plain = [];
      const still = [];
      for (let round = 0; round < rounds; round++) {
        plain.push(await firstPaint(browser.context, server.url + 'plain.html', 'img', size));
        wall.push(await firstPaint(browser.context, server.url, '.mw-card img', size));
        still.push(await firstPaint(browser.context, server.url + 'still.html', '.mw-card img', size));
      }
      const ratio = median(wall) / median(plain);
      console.log(`${size.width}x${size.height} first tile over HTTP ${median(wall).toFixed(0)} ms, plain page of the ` +
        `same ${shown} thumbnails ${median(plain).toFixed(0)} ms: ${ratio.toFixed(2)}x (median of ${rounds}); ` +
        `the wall's finished page without scripts ${median(still).toFixed(0)} ms: ` +
        `${(median(still) / median(plain)).toFixed(2)}x`);

      const page = await s.openWall(browser.context, server.url, { size });
      await page.evaluate(installDrivers);
      await page.waitForTimeout(500);
      for (const [what, drive] of [['arrow key held', 'holdArrow'], ['flicks', 'flick']]) {
        const gaps = await page.evaluate(frameGaps, { drive, duration: 4000 });
        await page.waitForSelector('#murano-wall[data-moving="0"]');
        report(size, what, gaps);
      }
      await page.keyboard.press('Enter');
      await page.waitForFunction(() => document.querySelector('.mw-slide img').complete);
      await page.waitForTimeout(300);
      report(size, 'zoom and pan', await page.evaluate(frameGaps, { drive: 'zoomPan', duration: 4000 }));
      await page.close();
    }
  } finally {
    await server.close();
    await browser.close();
    s.removeDirs([dir]);
  }
})();

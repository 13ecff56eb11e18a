// Wall player benchmark in headless Chromium with software rendering: time to the first rendered
// wall and frames per second while the wall turns, for a wall of many slides.
//     node bench/player-bench.js [slides] [rounds]
'use strict';

const path = require('node:path');
const s = require(path.join(__dirname, '..', 'tests', 'player', 'support'));

const slides = Number(process.argv[2]) || 500;
const rounds = Number(process.argv[3]) || 5;
const sizes = [{ width: 855, height: 532 }, { width: 1600, height: 900 }];

// Marks the moment the wall is built and has been painted twice, and when its visible thumbnails
// have all arrived; times are from the start of the navigation.
function markFirstWall() {
  window.benchmark = {};
  new MutationObserver(function (changes, observer) {
    const root = document.getElementById('murano-wall');
    if (root && root.dataset.state === 'ready') {
      observer.disconnect();
      requestAnimationFrame(() => requestAnimationFrame(() => { window.benchmark.firstWall = performance.now(); }));
      const pending = [...document.querySelectorAll('.mw-card img')].map((img) =>
        img.complete ? null : new Promise((done) => { img.addEventListener('load', done); img.addEventListener('error', done); }));
      Promise.all(pending).then(() => { window.benchmark.thumbnails = performance.now(); });
    }
  }).observe(document, { subtree: true, attributes: true, attributeFilter: ['data-state'] });
}

// Turns the wall one column every 110 ms for the given time and counts the frames drawn meanwhile.
function turnAndCount(duration) {
  return new Promise((done) => {
    const press = () => document.dispatchEvent(new KeyboardEvent('keydown', { key: 'ArrowRight', bubbles: true }));
    const presser = setInterval(press, 110);
    press();
    const times = [];
    const start = performance.now();
    const frame = (now) => {
      times.push(now);
      if (now - start < duration) {
        requestAnimationFrame(frame);
      } else {
        clearInterval(presser);
        const gaps = times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);
        done({ fps: (times.length - 1) / ((times[times.length - 1] - times[0]) / 1000),
          worstGap: gaps[gaps.length - 1], p95Gap: gaps[Math.floor(gaps.length * 0.95)] });
      }
    };
    requestAnimationFrame(frame);
  });
}

const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];

(async () => {
  const browser = await s.launch();
  const pictures = await s.drawSlides(browser.context, 12);
  const dir = s.makeWall({ images: s.numbered(slides), pictures,
    attributes: { back_ground: '2{background/background.jpg,stretch}' } });
  const server = await s.serve(dir);
  console.log(`Wall player, ${slides} slides, headless Chromium with software rendering (--disable-gpu)`);
  try {
    for (const size of sizes) {
      for (const [where, url] of [['HTTP', server.url], ['file', s.fileUrl(dir)]]) {
        const first = [];
        const thumbs = [];
        for (let round = 0; round < rounds; round++) {
          const page = await browser.context.newPage();
          await page.setViewportSize(size);
          await page.addInitScript(markFirstWall);
          await page.goto(url);
          await page.waitForFunction(() => window.benchmark.firstWall && window.benchmark.thumbnails);
          const marks = await page.evaluate(() => window.benchmark);
          first.push(marks.firstWall);
          thumbs.push(marks.thumbnails);
          await page.close();
        }
        console.log(`${size.width}x${size.height} ${where.padEnd(4)}  first wall ${median(first).toFixed(0)} ms` +
          `  thumbnails in ${median(thumbs).toFixed(0)} ms  (median of ${rounds})`);
      }
      const page = await browser.context.newPage();
      await page.setViewportSize(size);
      await page.goto(server.url);
      await page.waitForSelector('#murano-wall[data-state="ready"]');
      await page.waitForTimeout(500);
      const turn = await page.evaluate(turnAndCount, 4000);
      console.log(`${size.width}x${size.height} turning    ${turn.fps.toFixed(1)} fps  (95th percentile frame ` +
        `${turn.p95Gap.toFixed(1)} ms, worst ${turn.worstGap.toFixed(1)} ms)`);
      await page.close();
    }
  } finally {
    await server.close();
    await browser.close();
    s.removeDirs([dir]);
  }
})();

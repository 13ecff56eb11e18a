// Search in the wall player, in headless Chromium with software rendering: a wall of many slides
// with many words each; for every keystroke of a few queries typed one character at a time, the
// time from the field's input event to the listed answer (the player's own work), and to the next
// list laid out; and the time the first opening takes to fold the deck's words.
//     node bench/search-bench.js [slides] [words per slide] [rounds]
'use strict';

const os = require('node:os');
const path = require('node:path');
const s = require(path.join(__dirname, '..', 'tests', 'player', 'support'));

const slides = Number(process.argv[2]) || 500;
const wordsPerSlide = Number(process.argv[3]) || 300;
const rounds = Number(process.argv[4]) || 3;
// Queries typed a character at a time: a common word, a rare one, two words, accents and capitals,
// and one that matches nothing.
const QUERIES = ['revenue', 'zqx', 'north report', 'Café Résumé', 'nothing-at-all'];

// A deterministic deck: words from a vocabulary with accented letters, a few words rarer than others.
function deck() {
  let seed = 12345;
  const random = () => (seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648;
  const letters = 'abcdefghijklmnopqrstuvwxyzéèüöäçñ';
  const vocabulary = Array.from({ length: 3000 }, () => Array.from({ length: 3 + Math.floor(random() * 8) },
    () => letters[Math.floor(random() * letters.length)]).join(''));
  vocabulary.push('revenue', 'north', 'report', 'café', 'résumé');
  const word = () => vocabulary[Math.floor(Math.pow(random(), 1.5) * vocabulary.length)];
  return {
    version: 1, language: 'en',
    slides: Array.from({ length: slides }, (_, i) => ({
      title: `Slide ${i + 1}: ${word()} ${word()}`,
      text: Array.from({ length: wordsPerSlide }, (_, k) => word() + (k % 15 === 14 ? '.\n' : ' ')).join('') +
        (i === 321 ? ' zqx' : '')
    }))
  };
}

// In the page: types each query one character at a time and times every keystroke.
function typeQueries(queries) {
  const field = document.querySelector('.mw-search-field');
  const times = { answer: [], layout: [], found: [], worst: { ms: 0, typed: '' } };
  return queries.reduce((before, query) => before.then(async () => {
    for (let n = 1; n <= query.length; n++) {
      const start = performance.now();
      field.value = query.slice(0, n);
      field.dispatchEvent(new Event('input', { bubbles: true }));
      const answered = performance.now() - start;
      // Reading a box makes the browser lay the answer out now.
      document.querySelector('.mw-results').getBoundingClientRect();
      const laidOut = performance.now() - start;
      times.answer.push(answered);
      times.layout.push(laidOut);
      if (laidOut > times.worst.ms) {
        times.worst = { ms: laidOut, typed: field.value };
      }
      await new Promise((done) => requestAnimationFrame(() => setTimeout(done, 30)));
    }
    times.found.push(document.querySelectorAll('.mw-result').length);
  }), Promise.resolve()).then(() => times);
}

const percentile = (values, p) => values.slice().sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(values.length * p))];
const within = (values, ms) => (100 * values.filter((v) => v <= ms).length / values.length).toFixed(0);
const line = (what, values) => `${what}: median ${percentile(values, 0.5).toFixed(2)} ms, 95th percentile ` +
  `${percentile(values, 0.95).toFixed(2)} ms, worst ${Math.max(...values).toFixed(2)} ms; ${within(values, 16)}% ` +
  `within 16 ms (${values.length} keystrokes)`;

(async () => {
  const browser = await s.launch();
  const pictures = await s.drawSlides(browser.context, 6);
  const words = deck();
  const dir = s.makeWall({ images: s.numbered(slides), pictures, words });
  const server = await s.serve(dir);
  const bytes = Buffer.byteLength(JSON.stringify(words));
  console.log(`Search, ${slides} slides of ${wordsPerSlide} words (words file ${(bytes / 1048576).toFixed(2)} MiB), ` +
    `headless Chromium with software rendering; load average ${os.loadavg()[0].toFixed(1)} on ${os.cpus().length} cores`);
  try {
    const answer = [];
    const drawn = [];
    for (let round = 0; round < rounds; round++) {
      const page = await s.openWall(browser.context, server.url, { size: { width: 1280, height: 800 } });
      await page.waitForSelector('#murano-wall[data-words="ready"]');
      const fold = await page.evaluate(() => {
        const start = performance.now();
        document.querySelector('.mw-search-button').click();
        return performance.now() - start;
      });
      const times = await page.evaluate(typeQueries, QUERIES);
      console.log(`round ${round + 1}: first opening (folding the words) ${fold.toFixed(1)} ms; slides listed at the end ` +
        `of each query: ${times.found.join(', ')}; slowest keystroke "${times.worst.typed}" ${times.worst.ms.toFixed(1)} ms`);
      answer.push(...times.answer);
      drawn.push(...times.layout);
      await page.close();
    }
    console.log(line('input to answer listed', answer));
    console.log(line('input to answer laid out', drawn));
  } finally {
    await server.close();
    await browser.close();
    s.removeDirs([dir]);
  }
})();

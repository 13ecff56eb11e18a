// A wall uploaded to the book service exactly as the desktop client uploads it, then played from the
// service in real headless Chromium: the index comes over HTTP and every thumbnail loads. On the
// data folder, or (with BOOKSERVICE_TEST_CONFIG, see on-servers.sh) on PostgreSQL and the S3 store.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawn, spawnSync } = require('node:child_process');
const s = require('../player/support');

const BIN_DIR = process.env.MURANO_BIN_DIR || path.resolve(__dirname, '..', '..', 'build', 'bin');
const PROGRAM = path.join(BIN_DIR, 'bookservice');
const BOUNDARY = '-----------------------------7d935033608e2';

let browser;
let service;
const dirs = [];

// Where the accounts and books are: the scratch data folder, or the servers of the configuration,
// with the scratch folder for uploads in progress.
function storeWords(data) {
  const config = process.env.BOOKSERVICE_TEST_CONFIG;
  return config ? ['--config', config, '--staging', path.join(data, 'staging')] : ['--data', data];
}

// The service on a free port; resolves once it serves.
function startService(data) {
  const child = spawn(PROGRAM, [...storeWords(data), '--listen', '127.0.0.1:0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    let out = '';
    child.on('exit', (code) => reject(new Error(`bookservice ended with ${code}`)));
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const match = /http:\/\/127\.0\.0\.1:(\d+)\/\n/.exec(out);
      if (match) {
        child.removeAllListeners('exit');
        resolve({ child, url: `http://127.0.0.1:${match[1]}/` });
      }
    });
  });
}

// The work folder packed as the client packs it: entries named book + "\" + the path with "\"
// between folders, the page last.
function packWall(dir, book) {
  const zip = path.join(dir, '..', `${book}.zip`);
  const script = `
import os, sys, zipfile
root, book, out = sys.argv[1:4]
with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as z:
    for folder, _, files in os.walk(root):
        for name in files:
            full = os.path.join(folder, name)
            relative = os.path.relpath(full, root)
            if relative != 'index.html':
                z.write(full, book + '\\\\' + relative.replace('/', '\\\\'))
    z.write(os.path.join(root, 'index.html'), book + '\\\\index.html')
`;
  const packed = spawnSync('python3', ['-c', script, dir, book, zip]);
  assert.equal(packed.status, 0, String(packed.stderr));
  return fs.readFileSync(zip);
}

function clientBody(archive, userName, bookName) {
  const crlf = '\r\n';
  return Buffer.concat([
    Buffer.from(`${crlf}--${BOUNDARY}${crlf}` +
      `Content-Disposition: form-data; name="user_upload_file[]"; filename="zapperstab.zip"${crlf}` +
      `Content-Type: application/octet-stream${crlf}${crlf}`),
    archive,
    Buffer.from(`${crlf}--${BOUNDARY}${crlf}Content-Disposition: form-data; name="username"${crlf}${crlf}` +
      `${userName}${crlf}--${BOUNDARY}${crlf}Content-Disposition: form-data; name="bookname"${crlf}${crlf}` +
      `${bookName}${crlf}--${BOUNDARY}--${crlf}`)
  ]);
}

before(async () => {
  const data = fs.mkdtempSync(path.join(os.tmpdir(), 'murano-books-'));
  dirs.push(data);
  const added = spawnSync(PROGRAM, [...storeWords(data), 'add-user', 'alice', 'alice@example.org'],
    { input: 'alice-password\n' });
  assert.equal(added.status, 0, String(added.stderr));
  service = await startService(data);
  browser = await s.launch();
});

after(async () => {
  await browser.close();
  service.child.kill('SIGTERM');
  s.removeDirs(dirs);
});

test('an uploaded wall plays from the service with every thumbnail loaded', async () => {
  const images = s.numbered(6);
  const pictures = await s.drawSlides(browser.context, 3);
  // The book carries its deck's words, as an imported wall does: the service serves them too.
  const words = { version: 1, title: 'Quarterly', slides: images.map((_, i) => ({ title: `Part ${i + 1}`, text: '' })) };
  const wall = s.makeWall({ images, pictures, words });
  dirs.push(wall);

  // Packed before the login: packing holds this process for seconds on a loaded machine, long
  // enough for the service to end the kept-alive connection that the upload would then reuse.
  const body = clientBody(packWall(wall, 'Quarterly_review-2'), 'alice', 'Quarterly_review-2');
  const login = await fetch(service.url + '__app_wp_login.php',
    { method: 'POST', body: 'log=alice&pwd=alice-password' });
  assert.match(await login.text(), /Success&userID=1&userEmail=alice@example\.org/);
  const cookie = login.headers.get('set-cookie').split(';')[0];

  const reply = await fetch(service.url + 'app/flipbook/fp-zip.php', {
    method: 'POST',
    headers: { 'Content-Type': `multipart/form-data; boundary=${BOUNDARY}`, Cookie: cookie },
    body
  });
  const text = await reply.text();
  assert.equal(reply.status, 200, text);
  assert.ok(text.indexOf('URL[') > 0, text);

  const failed = [];
  browser.context.on('response', (response) => {
    if (response.status() >= 400) {
      failed.push(`${response.status()} ${response.url()}`);
    }
  });
  const page = await s.openWall(browser.context, service.url + 'u/1/flipbook/Quarterly_review-2/index.html');
  assert.equal(await page.getAttribute('#murano-wall', 'data-source'), 'xml');
  assert.equal(await page.getAttribute('#murano-wall', 'data-slides'), String(images.length));
  await page.waitForFunction((count) => {
    const thumbs = [...document.querySelectorAll('.mw-card img')];
    return thumbs.length === count && thumbs.every((img) => img.complete && img.naturalWidth === 180);
  }, images.length);
  assert.deepEqual(failed, []);
  assert.deepEqual(page.errors, []);
  assert.equal(await page.getAttribute('.mw-card img', 'alt'), 'Part 1');
  await page.close();
});

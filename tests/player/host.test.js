// Inside murano the reload and full-screen buttons are requests to the host window, sent through
// the web channel's "host" object; in a plain browser they act on the page.
'use strict';

const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const s = require('./support');

let browser;
let dir;

before(async () => {
  browser = await s.launch();
  dir = s.makeWall({ images: s.numbered(3) });
});

after(async () => {
  await browser.close();
  s.removeDirs([dir]);
});

// A stand-in for the web channel: the transport the host injects and a channel whose "host"
// object records every request. The channel comes up when the test opens it, as the real one
// comes up after a round trip to the host.
function stubChannel() {
  window.qt = { webChannelTransport: { send() {}, onmessage: null } };
  window.hostCalls = [];
  window.QWebChannel = function (transport, ready) {
    window.channelTransport = transport;
    window.openChannel = () => ready({ objects: { host: { flashCall: (text) => window.hostCalls.push(text) } } });
  };
}

test('reload and full screen go to the host as "reload" and "fullScreen"', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir), { init: stubChannel });
  await page.evaluate(() => { window.sameDocument = true; });
  // Pressed before the channel is up, the request waits for it.
  await page.click('.mw-reload-button');
  assert.deepEqual(await page.evaluate(() => window.hostCalls), []);
  await page.evaluate(() => window.openChannel());
  assert.deepEqual(await page.evaluate(() => window.hostCalls), ['reload']);
  await page.click('.mw-fullscreen-button');
  await page.click('.mw-fullscreen-button');
  assert.deepEqual(await page.evaluate(() => window.hostCalls), ['reload', 'fullScreen', 'fullScreen']);
  assert.equal(await page.evaluate(() => window.channelTransport === window.qt.webChannelTransport), true);
  assert.equal(await page.evaluate(() => window.sameDocument), true, 'the page itself did not reload');
  assert.equal(await page.evaluate(() => !!document.fullscreenElement), false, 'the page did not go full screen');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('with the host transport but no channel script at hand, the player asks for Qt\'s and falls back to the page', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir), {
    init: () => { window.qt = { webChannelTransport: {} }; }
  });
  assert.equal(await page.$$eval('script', (all) => all.filter((e) => e.src === 'qrc:///qtwebchannel/qwebchannel.js').length), 1);
  await page.evaluate(() => { window.sameDocument = true; });
  await Promise.all([page.waitForEvent('load'), page.click('.mw-reload-button')]);
  await page.waitForSelector('#murano-wall[data-state="ready"]');
  assert.equal(await page.evaluate(() => window.sameDocument), undefined, 'the page reloaded itself');
  await page.close();
});

test('in a plain browser the buttons act on the page', async () => {
  const page = await s.openWall(browser.context, s.fileUrl(dir));
  assert.equal(await page.$$eval('script', (all) => all.filter((e) => /qwebchannel/.test(e.src)).length), 0);
  await page.click('.mw-fullscreen-button');
  await page.waitForFunction(() => !!document.fullscreenElement);
  await page.click('.mw-fullscreen-button');
  await page.waitForFunction(() => !document.fullscreenElement);
  await page.evaluate(() => { window.sameDocument = true; });
  await Promise.all([page.waitForEvent('load'), page.click('.mw-reload-button')]);
  assert.equal(await page.evaluate(() => window.sameDocument), undefined);
  await page.close();
});

// Fetching the gallery index and the deck's words: each file itself, else its script twin, else
// nothing.

import { freshToken } from './paths.js';

// Resolves to the response text of a request once it has ended, or rejects when it failed.
function settle(xhr) {
  return new Promise(function (resolve, reject) {
    var decide = function () {
      var ok = (xhr.status >= 200 && xhr.status < 300) || (xhr.status === 0 && xhr.responseText);
      if (ok) {
        resolve(xhr.responseText);
      } else {
        reject(new Error('status ' + xhr.status));
      }
    };
    if (xhr.readyState === 4) {
      decide();
      return;
    }
    xhr.addEventListener('load', decide);
    xhr.addEventListener('error', decide);
    xhr.addEventListener('abort', decide);
  });
}

var INDEX_PATH = 'xml/images.xml';

function send(url) {
  var xhr = new XMLHttpRequest();
  xhr.open('GET', url, true);
  xhr.overrideMimeType('text/plain; charset=utf-8');
  xhr.send();
  return xhr;
}

function request(url) {
  try {
    return settle(send(url));
  } catch (e) {
    return Promise.reject(e);
  }
}

// Files on disk carry the page load's token; over HTTP every load asks the server again.
function cacheBust() {
  return location.protocol === 'file:' ? freshToken : '?v=' + Date.now().toString(36);
}

// The index's request, sent; null where the page may not send it.
export function sendIndexRequest() {
  try {
    return send(INDEX_PATH + cacheBust());
  } catch {
    return null;
  }
}

// The page's first script asks for the index while this script is still on its way
// (window.muranoIndexRequest); pages without that ask here.
function requestIndex() {
  var early = window.muranoIndexRequest;
  window.muranoIndexRequest = null;
  if (early && typeof early.readyState === 'number') {
    return settle(early);
  }
  return request(INDEX_PATH + cacheBust());
}

// A twin script sets window[name] to the file's text.
function loadScriptTwin(path, name) {
  return new Promise(function (resolve, reject) {
    if (typeof window[name] === 'string') {
      resolve(window[name]);
      return;
    }
    var script = document.createElement('script');
    script.src = path + cacheBust();
    script.onload = function () {
      if (typeof window[name] === 'string') {
        resolve(window[name]);
      } else {
        reject(new Error('no text in the script'));
      }
    };
    script.onerror = function () { reject(new Error('no script')); };
    document.head.appendChild(script);
  });
}

// The index over HTTP (or from disk where the host allows it), else its script twin, else nothing.
export function loadIndex() {
  return requestIndex().then(function (text) {
    return { text: text, source: 'xml' };
  }).catch(function () {
    return loadScriptTwin('xml/images.js', 'muranoGallery').then(function (text) {
      return { text: text, source: 'script' };
    });
  }).catch(function () {
    return { text: '', source: 'none' };
  });
}

// The deck's words, else their script twin; '' for a wall without them, or at once for a page
// published from a wall without them (<meta name="murano-words" content="none">), which asks for
// nothing.
export function loadWords() {
  var mark = document.querySelector('meta[name="murano-words"]');
  if (mark && mark.content === 'none') {
    return Promise.resolve('');
  }
  return request('xml/words.json' + cacheBust()).catch(function () {
    return loadScriptTwin('xml/words.js', 'muranoWords');
  }).catch(function () {
    return '';
  });
}

// Fetching the gallery index: the file itself, else its script twin, else nothing.

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

function request(url) {
  try {
    var xhr = new XMLHttpRequest();
    xhr.open('GET', url, true);
    xhr.overrideMimeType('text/plain; charset=utf-8');
    xhr.send();
    return settle(xhr);
  } catch (e) {
    return Promise.reject(e);
  }
}

// The page asks for the index itself while this script is still on its way
// (window.muranoIndexRequest); pages without that ask here.
function requestIndex() {
  var early = window.muranoIndexRequest;
  window.muranoIndexRequest = null;
  if (early && typeof early.readyState === 'number') {
    return settle(early);
  }
  var bust = location.protocol === 'file:' ? freshToken : '?v=' + Date.now().toString(36);
  return request('xml/images.xml' + bust);
}

function loadScriptTwin() {
  return new Promise(function (resolve, reject) {
    if (typeof window.muranoGallery === 'string') {
      resolve(window.muranoGallery);
      return;
    }
    var script = document.createElement('script');
    script.src = 'xml/images.js' + (freshToken || '?v=' + Date.now().toString(36));
    script.onload = function () {
      if (typeof window.muranoGallery === 'string') {
        resolve(window.muranoGallery);
      } else {
        reject(new Error('no gallery in the script'));
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
    return loadScriptTwin().then(function (text) {
      return { text: text, source: 'script' };
    });
  }).catch(function () {
    return { text: '', source: 'none' };
  });
}

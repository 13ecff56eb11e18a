// Fetching the gallery index: the file itself, else its script twin, else nothing.

function request(url) {
  return new Promise(function (resolve, reject) {
    var xhr = new XMLHttpRequest();
    try {
      xhr.open('GET', url, true);
      xhr.overrideMimeType('text/plain; charset=utf-8');
      xhr.onload = function () {
        var ok = (xhr.status >= 200 && xhr.status < 300) || (xhr.status === 0 && xhr.responseText);
        if (ok) {
          resolve(xhr.responseText);
        } else {
          reject(new Error('status ' + xhr.status));
        }
      };
      xhr.onerror = function () { reject(new Error('unreadable')); };
      xhr.send();
    } catch (e) {
      reject(e);
    }
  });
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
function loadIndex() {
  var bust = location.protocol === 'file:' ? freshToken : '?v=' + Date.now().toString(36);
  return request('xml/images.xml' + bust).then(function (text) {
    return { text: text, source: 'xml' };
  }).catch(function () {
    return loadScriptTwin().then(function (text) {
      return { text: text, source: 'script' };
    });
  }).catch(function () {
    return { text: '', source: 'none' };
  });
}

/*
 * The wall player. Reads the gallery index xml/images.xml (or its script twin xml/images.js when the
 * page is opened from disk), and builds a 3D wall of the slides' thumbnails into #murano-wall:
 * browsed by mouse drag, wheel, arrow keys and touch swipes; a click opens the slide large.
 * Everything the index says (background, logo, link, buttons, book information) shapes the page.
 * Plain JavaScript and CSS 3D transforms: no WebGL, no network, no third-party code.
 */
(function () {
  'use strict';

  var SVG_NS = 'http://www.w3.org/2000/svg';

  var CSS = [
    '#murano-wall{position:fixed;inset:0;overflow:hidden;color:#e9ecf5;user-select:none;-webkit-user-select:none;',
    ' font:14px/1.45 system-ui,-apple-system,"Segoe UI","DejaVu Sans",Arial,sans-serif;background:#0b0e16;',
    ' touch-action:none;--tile-w:120px;--tile-h:90px;--accent:#8fb1ff}',
    '#murano-wall *{box-sizing:border-box}',
    '.mw-backdrop{position:absolute;inset:0;background-color:#0b0e16;background-position:center;background-repeat:no-repeat}',
    '.mw-backdrop.mw-default{background-image:radial-gradient(ellipse 80% 60% at 50% 58%,#1d2740 0%,#121829 45%,#07090f 100%)}',
    '.mw-shade{position:absolute;inset:0;pointer-events:none;',
    ' background:radial-gradient(ellipse 75% 70% at 50% 50%,rgba(0,0,0,0) 55%,rgba(0,0,0,.38) 100%),',
    ' linear-gradient(to bottom,rgba(0,0,0,.30),rgba(0,0,0,0) 16%,rgba(0,0,0,0) 78%,rgba(0,0,0,.30))}',
    '.mw-stage{position:absolute;left:0;right:0;top:0;bottom:0;cursor:grab;outline:none}',
    '.mw-stage.mw-dragging{cursor:grabbing}',
    '.mw-wall{position:absolute;left:50%;top:50%;width:0;height:0;transform-style:preserve-3d}',
    '.mw-tile{position:absolute;left:calc(var(--tile-w)/-2);top:calc(var(--tile-h)/-2);width:var(--tile-w);height:var(--tile-h);',
    ' backface-visibility:hidden}',
    '.mw-card{position:absolute;inset:0;border-radius:3px;overflow:hidden;background:#1a2033;',
    ' box-shadow:0 8px 22px rgba(0,0,0,.55),0 0 0 1px rgba(255,255,255,.10);transition:transform .18s ease,box-shadow .18s ease}',
    '.mw-card::after{content:"";position:absolute;inset:0;pointer-events:none;',
    ' background:linear-gradient(160deg,rgba(255,255,255,.16),rgba(255,255,255,0) 38%)}',
    '.mw-card img{display:block;width:100%;height:100%;object-fit:cover;pointer-events:none;opacity:0;transition:opacity .3s}',
    '.mw-card img.mw-loaded{opacity:1}',
    '.mw-card .mw-number{position:absolute;inset:0;display:flex;align-items:center;justify-content:center;',
    ' color:rgba(233,236,245,.35);font-size:calc(var(--tile-h)*.28);font-weight:300}',
    '.mw-tile:hover .mw-card{transform:scale(1.05);box-shadow:0 12px 30px rgba(0,0,0,.6),0 0 0 1px rgba(255,255,255,.28)}',
    '.mw-tile.mw-current .mw-card{box-shadow:0 12px 30px rgba(0,0,0,.6),0 0 0 2px var(--accent),0 0 18px rgba(143,177,255,.45)}',
    '.mw-reflection{position:absolute;left:0;right:0;top:calc(100% + 4px);height:100%;overflow:hidden;border-radius:3px;',
    ' transform:scaleY(-1);opacity:.32;pointer-events:none;',
    ' -webkit-mask-image:linear-gradient(to top,#000 0%,rgba(0,0,0,0) 55%);mask-image:linear-gradient(to top,#000 0%,rgba(0,0,0,0) 55%)}',
    '.mw-reflection img{display:block;width:100%;height:100%;object-fit:cover}',
    '.mw-empty{position:absolute;left:50%;top:50%;transform:translate(-50%,-50%);text-align:center;color:rgba(233,236,245,.55);',
    ' font-size:15px;letter-spacing:.04em;pointer-events:none}',
    '.mw-empty svg{display:block;margin:0 auto 10px;width:54px;height:54px;opacity:.5}',
    '.mw-topbar{position:absolute;left:0;right:0;top:0;height:64px;display:flex;align-items:center;padding:0 18px;gap:14px;',
    ' pointer-events:none}',
    '.mw-topbar>*{pointer-events:auto}',
    '.mw-logo{display:block;flex:0 0 auto;line-height:0}',
    '.mw-logo img{max-height:44px;max-width:220px;filter:drop-shadow(0 2px 6px rgba(0,0,0,.5))}',
    '.mw-title{flex:1 1 auto;min-width:0;text-align:center;font-size:17px;font-weight:400;letter-spacing:.06em;',
    ' white-space:nowrap;overflow:hidden;text-overflow:ellipsis;color:#f2f4fa;text-shadow:0 1px 8px rgba(0,0,0,.7);pointer-events:none}',
    '.mw-buttons{display:flex;gap:8px;flex:0 0 auto;margin-left:auto}',
    '.mw-button{width:38px;height:38px;border-radius:50%;border:1px solid rgba(255,255,255,.16);padding:0;cursor:pointer;',
    ' display:flex;align-items:center;justify-content:center;color:#e9ecf5;',
    ' background:linear-gradient(180deg,rgba(255,255,255,.12),rgba(255,255,255,.03));',
    ' box-shadow:0 4px 14px rgba(0,0,0,.35),inset 0 1px 0 rgba(255,255,255,.14);transition:background .15s,transform .15s,border-color .15s}',
    '.mw-button:hover{background:linear-gradient(180deg,rgba(255,255,255,.24),rgba(255,255,255,.08));border-color:rgba(255,255,255,.34)}',
    '.mw-button:active{transform:scale(.94)}',
    '.mw-button:focus-visible{outline:2px solid var(--accent);outline-offset:2px}',
    '.mw-button svg{width:18px;height:18px;fill:none;stroke:currentColor;stroke-width:1.8;stroke-linecap:round;stroke-linejoin:round}',
    '.mw-footer{position:absolute;left:50%;bottom:16px;transform:translateX(-50%);display:flex;align-items:center;gap:12px;',
    ' color:rgba(233,236,245,.7);font-size:12px;letter-spacing:.08em;pointer-events:none;font-variant-numeric:tabular-nums;',
    ' white-space:nowrap}',
    '.mw-hint{position:absolute;left:50%;bottom:calc(100% + 10px);transform:translateX(-50%);transition:opacity .8s;',
    ' white-space:nowrap;letter-spacing:.04em;color:rgba(233,236,245,.6);text-shadow:0 1px 6px rgba(0,0,0,.8)}',
    '.mw-hint.mw-gone{opacity:0}',
    '.mw-track{width:160px;height:3px;border-radius:2px;background:rgba(255,255,255,.14);overflow:hidden}',
    '.mw-track i{display:block;height:100%;width:0;border-radius:2px;background:linear-gradient(90deg,#6d8dff,#b59bff)}',
    '.mw-panel{position:absolute;top:72px;right:18px;width:min(360px,calc(100% - 36px));max-height:calc(100% - 100px);overflow:auto;',
    ' padding:22px 22px 20px;border-radius:14px;background:rgba(16,20,33,.88);border:1px solid rgba(255,255,255,.12);',
    ' box-shadow:0 24px 60px rgba(0,0,0,.55);backdrop-filter:blur(10px);-webkit-backdrop-filter:blur(10px);user-select:text;-webkit-user-select:text;',
    ' opacity:0;transform:translateY(-8px);transition:opacity .2s,transform .2s;pointer-events:none}',
    '.mw-panel.mw-open{opacity:1;transform:none;pointer-events:auto}',
    '.mw-panel h2{margin:0 0 4px;font-size:19px;font-weight:500;color:#fff;overflow-wrap:anywhere}',
    '.mw-panel .mw-byline{margin:0 0 12px;color:var(--accent);font-size:13px;overflow-wrap:anywhere}',
    '.mw-panel .mw-description{margin:0 0 14px;color:rgba(233,236,245,.82);white-space:pre-line;overflow-wrap:anywhere}',
    '.mw-panel .mw-contact{display:flex;align-items:center;gap:8px;margin:6px 0;color:#cfd7ee;overflow-wrap:anywhere}',
    '.mw-panel .mw-contact svg{flex:0 0 auto;width:15px;height:15px;fill:none;stroke:var(--accent);stroke-width:1.8;stroke-linecap:round;stroke-linejoin:round}',
    '.mw-panel a{color:#cfd7ee;text-decoration:none;border-bottom:1px solid rgba(207,215,238,.3)}',
    '.mw-panel a:hover{color:#fff;border-bottom-color:#fff}',
    '.mw-panel .mw-muted{color:rgba(233,236,245,.55);margin:0}',
    '.mw-panel .mw-label{margin:0 0 10px;font-size:12px;letter-spacing:.1em;text-transform:uppercase;color:rgba(233,236,245,.6)}',
    '.mw-share-row{display:flex;gap:8px}',
    '.mw-share-row input{flex:1 1 auto;min-width:0;height:36px;border-radius:8px;border:1px solid rgba(255,255,255,.18);',
    ' background:rgba(0,0,0,.35);color:#fff;padding:0 10px;font:inherit;font-size:13px}',
    '.mw-share-row button{height:36px;border-radius:8px;border:0;padding:0 14px;font:inherit;font-weight:500;cursor:pointer;',
    ' color:#0b0e16;background:linear-gradient(180deg,#b7c9ff,#8fb1ff)}',
    '.mw-close{position:absolute;top:10px;right:10px;width:28px;height:28px;border:0;border-radius:50%;background:transparent;',
    ' color:rgba(233,236,245,.7);cursor:pointer;display:flex;align-items:center;justify-content:center}',
    '.mw-close:hover{background:rgba(255,255,255,.1);color:#fff}',
    '.mw-close svg{width:14px;height:14px;fill:none;stroke:currentColor;stroke-width:2;stroke-linecap:round}',
    '.mw-lightbox{position:absolute;inset:0;display:flex;align-items:center;justify-content:center;',
    ' background:rgba(4,6,11,.9);opacity:0;pointer-events:none;transition:opacity .22s}',
    '.mw-lightbox.mw-open{opacity:1;pointer-events:auto}',
    '.mw-lightbox figure{margin:0;display:flex;flex-direction:column;align-items:center;gap:12px;max-width:calc(100% - 150px)}',
    '.mw-lightbox img{display:block;max-width:100%;max-height:calc(100vh - 120px);border-radius:4px;',
    ' box-shadow:0 30px 80px rgba(0,0,0,.7),0 0 0 1px rgba(255,255,255,.1);background:#111;transform:scale(.97);transition:transform .25s}',
    '.mw-lightbox.mw-open img{transform:none}',
    '.mw-lightbox figcaption{color:rgba(233,236,245,.75);font-size:13px;letter-spacing:.08em;font-variant-numeric:tabular-nums}',
    '.mw-nav{position:absolute;top:50%;width:48px;height:48px;margin-top:-24px}',
    '.mw-nav.mw-prev{left:20px}.mw-nav.mw-next{right:20px}',
    '.mw-nav[disabled]{opacity:.3;cursor:default}',
    '.mw-lightbox .mw-button.mw-dismiss{position:absolute;top:14px;right:18px}',
    '@media (max-width:700px),(max-height:560px){.mw-topbar{height:54px;padding:0 12px}.mw-logo img{max-height:36px;max-width:170px}',
    ' .mw-button{width:34px;height:34px}.mw-title{font-size:15px}.mw-panel{top:60px}.mw-footer{bottom:10px}}'
  ].join('\n');

  // Stroke icons on a 24-unit grid.
  var ICONS = {
    fullscreen: 'M4 9V4h5M20 9V4h-5M4 15v5h5M20 15v5h-5',
    exitFullscreen: 'M9 4v5H4M15 4v5h5M9 20v-5H4M15 20v-5h5',
    reload: 'M20 12a8 8 0 1 1-2.34-5.66M20 4v5h-5',
    share: 'M18 8a3 3 0 1 0-2.83-4M6 15a3 3 0 1 0 0-6 3 3 0 0 0 0 6zM18 22a3 3 0 1 0 0-6 3 3 0 0 0 0 6zM8.6 10.5l6.8-4M8.6 13.5l6.8 4',
    info: 'M12 22a10 10 0 1 0 0-20 10 10 0 0 0 0 20zM12 11v6M12 7.5v.5',
    close: 'M6 6l12 12M18 6L6 18',
    prev: 'M15 5l-7 7 7 7',
    next: 'M9 5l7 7-7 7',
    mail: 'M3 6h18v12H3zM3 7l9 6 9-6',
    globe: 'M12 21a9 9 0 1 0 0-18 9 9 0 0 0 0 18zM3 12h18M12 3c2.5 2.7 2.5 15.3 0 18M12 3c-2.5 2.7-2.5 15.3 0 18',
    person: 'M12 12a4 4 0 1 0 0-8 4 4 0 0 0 0 8zM4 21c1-4 4-6 8-6s7 2 8 6',
    empty: 'M3 6h7v6H3zM14 6h7v6h-7zM3 15h7v3H3zM14 15h7v3h-7z'
  };

  var ATTRIBUTES = ['imagesFolder', 'thumbnailsFolder', 'back_ground', 'logo_visible', 'logo_img', 'logo_link',
    'btn_fullscreen', 'btn_share', 'btn_reload', 'btn_info', 'book_title', 'email', 'website', 'display_name',
    'description'];

  var DEFAULTS = {
    imagesFolder: 'wallimages/',
    thumbnailsFolder: 'wallimages/thumbs/',
    back_ground: '',
    logo_visible: '1',
    logo_img: 'logo/logo.png',
    logo_link: '',
    btn_fullscreen: '1',
    btn_share: '1',
    btn_reload: '1',
    btn_info: '1',
    book_title: '',
    email: '',
    website: '',
    display_name: '',
    description: ''
  };

  // ---------------------------------------------------------------------------------------------
  // Reading the gallery index

  var XML_ENTITIES = { lt: '<', gt: '>', amp: '&', quot: '"', apos: "'" };

  function decodeEntities(text) {
    return text.replace(/&(#x[0-9a-fA-F]+|#[0-9]+|[a-zA-Z]+);/g, function (whole, name) {
      if (name.charAt(0) === '#') {
        var code = name.charAt(1) === 'x' || name.charAt(1) === 'X' ? parseInt(name.slice(2), 16) : parseInt(name.slice(1), 10);
        return code > 0 && code <= 0x10ffff && !(code >= 0xd800 && code <= 0xdfff) ? String.fromCodePoint(code) : whole;
      }
      return Object.prototype.hasOwnProperty.call(XML_ENTITIES, name) ? XML_ENTITIES[name] : whole;
    });
  }

  function parseWellFormed(text) {
    var doc;
    try {
      doc = new DOMParser().parseFromString(text, 'application/xml');
    } catch (e) {
      return null;
    }
    var root = doc.documentElement;
    if (!root || root.nodeName !== 'gallery' || doc.getElementsByTagName('parsererror').length) {
      return null;
    }
    var settings = {};
    ATTRIBUTES.forEach(function (name) {
      if (root.hasAttribute(name)) {
        settings[name] = root.getAttribute(name);
      }
    });
    var images = [];
    var nodes = root.getElementsByTagName('img');
    for (var i = 0; i < nodes.length; i++) {
      images.push(nodes[i].getAttribute('src') || '');
    }
    return { settings: settings, images: images };
  }

  // An index written with raw quotes, ampersands or angle brackets in its values is not XML. Its
  // start tag is still read: each known attribute's value runs up to where the next known attribute
  // (or the end of the tag) begins, so a quote inside a value does not end it.
  function parseLenient(text) {
    var settings = {};
    var images = [];
    var start = text.indexOf('<gallery');
    if (start < 0) {
      return { settings: settings, images: images };
    }
    var rest = text.slice(start + '<gallery'.length);
    var firstItem = rest.search(/\n\s*(<img\b|<\/gallery>)/);
    var head = firstItem >= 0 ? rest.slice(0, firstItem) : rest;
    var tagEnd = head.lastIndexOf('>');
    var tag = tagEnd >= 0 ? head.slice(0, tagEnd) : head;
    var pattern = new RegExp('(^|\\s)(' + ATTRIBUTES.join('|') + ')\\s*=\\s*"', 'g');
    var found = [];
    var match;
    while ((match = pattern.exec(tag)) !== null) {
      found.push({ name: match[2], nameAt: match.index + match[1].length, valueAt: pattern.lastIndex });
    }
    found.forEach(function (item, i) {
      var end = i + 1 < found.length ? found[i + 1].nameAt : tag.length;
      var raw = tag.slice(item.valueAt, end).replace(/\s+$/, '');
      if (raw.charAt(raw.length - 1) === '"') {
        raw = raw.slice(0, -1);
      }
      if (!(item.name in settings)) {
        settings[item.name] = decodeEntities(raw);
      }
    });
    var body = firstItem >= 0 ? rest.slice(firstItem) : '';
    var imagePattern = /<img\b[^>]*?\bsrc\s*=\s*"([^"]*)"/g;
    while ((match = imagePattern.exec(body)) !== null) {
      images.push(decodeEntities(match[1]));
    }
    return { settings: settings, images: images };
  }

  function parseGallery(text) {
    text = String(text || '').replace(/^\ufeff/, '');
    var parsed = parseWellFormed(text) || parseLenient(text);
    var settings = {};
    Object.keys(DEFAULTS).forEach(function (name) {
      settings[name] = name in parsed.settings ? parsed.settings[name] : DEFAULTS[name];
    });
    return { settings: settings, images: parsed.images };
  }

  // Relative paths only: the player never reaches outside the folder it was published in.
  function isRelativePath(path) {
    return path !== '' && !/^[a-zA-Z][a-zA-Z0-9+.\-]*:/.test(path) && path.indexOf('//') !== 0;
  }

  function folderOf(value, fallback) {
    var folder = String(value || '').trim().replace(/\\/g, '/');
    if (!isRelativePath(folder)) {
      return fallback;
    }
    return folder.charAt(folder.length - 1) === '/' ? folder : folder + '/';
  }

  // Index paths name files; each segment is escaped as it stands.
  function encodePath(path) {
    return path.split('/').map(encodeURIComponent).join('/');
  }

  // Files on disk may be replaced under the same name while a host shows the page (a new
  // background, a new import); a token per page load keeps such pages from showing stale copies.
  var freshToken = location.protocol === 'file:' ? '?v=' + Date.now().toString(36) : '';

  function fileUrl(path) {
    return encodePath(path) + freshToken;
  }

  function slidesOf(gallery) {
    var images = gallery.settings.imagesFolder = folderOf(gallery.settings.imagesFolder, DEFAULTS.imagesFolder);
    var thumbs = gallery.settings.thumbnailsFolder = folderOf(gallery.settings.thumbnailsFolder, DEFAULTS.thumbnailsFolder);
    var slides = [];
    gallery.images.forEach(function (src) {
      src = String(src).trim().replace(/\\/g, '/');
      if (isRelativePath(src)) {
        slides.push({ name: src, image: fileUrl(images + src), thumb: fileUrl(thumbs + src) });
      }
    });
    return slides;
  }

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

  // ---------------------------------------------------------------------------------------------
  // Settings

  function parseColour(text) {
    var m = /^\s*(?:0x|#)([0-9a-fA-F]{6})\s*$/.exec(text || '');
    return m ? '#' + m[1].toLowerCase() : null;
  }

  // back_ground: 0{0xRRGGBB} a colour, 1{0xRRGGBB,0xRRGGBB,angle} a gradient, 2{path,position} an
  // image placed at the centre, stretched or tiled ("titl"). Anything else keeps the default stage.
  function parseBackground(value) {
    var m = /^\s*([012])\s*\{([\s\S]*)\}\s*$/.exec(value || '');
    if (!m) {
      return { kind: 'default' };
    }
    var body = m[2];
    if (m[1] === '0') {
      var colour = parseColour(body);
      return colour ? { kind: 'colour', colour: colour } : { kind: 'default' };
    }
    if (m[1] === '1') {
      var parts = body.split(',');
      var from = parseColour(parts[0]);
      var to = parseColour(parts[1]);
      if (!from || !to) {
        return { kind: 'default' };
      }
      var angle = parseFloat(parts[2]);
      return { kind: 'gradient', from: from, to: to, angle: isFinite(angle) ? angle : 90 };
    }
    var comma = body.lastIndexOf(',');
    var path = (comma >= 0 ? body.slice(0, comma) : body).trim().replace(/\\/g, '/');
    var position = (comma >= 0 ? body.slice(comma + 1) : '').trim().toLowerCase();
    if (!isRelativePath(path)) {
      return { kind: 'default' };
    }
    if (position === 'tile') {
      position = 'titl';
    }
    if (['center', 'stretch', 'titl'].indexOf(position) < 0) {
      position = 'center';
    }
    return { kind: 'image', path: path, position: position };
  }

  function cssUrl(path) {
    return 'url("' + fileUrl(path).replace(/["\\\n\r\f]/g, function (c) {
      return '\\' + c.charCodeAt(0).toString(16) + ' ';
    }) + '")';
  }

  // Published copies keep their data files under lower-case names, while the index keeps the
  // name as chosen ("logo/logo.PNG"): an image that does not load is looked for in lower case.
  function findFile(path, found, missing) {
    var probe = new Image();
    var lower = path.toLowerCase();
    probe.onload = function () {
      found(probe.dataset.path);
    };
    probe.onerror = function () {
      if (probe.dataset.path !== lower) {
        probe.dataset.path = lower;
        probe.src = fileUrl(lower);
      } else {
        missing();
      }
    };
    probe.dataset.path = path;
    probe.src = fileUrl(path);
  }

  function applyBackground(element, background) {
    element.classList.toggle('mw-default', background.kind === 'default');
    element.dataset.mode = background.kind;
    element.removeAttribute('style');
    var style = element.style;
    if (background.kind === 'colour') {
      style.backgroundColor = background.colour;
    } else if (background.kind === 'gradient') {
      // The angle counts from left-to-right, turning clockwise: 90 runs from top to bottom.
      style.backgroundImage = 'linear-gradient(' + (background.angle + 90) + 'deg,' + background.from + ',' + background.to + ')';
    } else if (background.kind === 'image') {
      // A background file that does not load leaves the default stage rather than a bare colour.
      findFile(background.path, function (path) {
        style.backgroundImage = cssUrl(path);
      }, function () {
        applyBackground(element, { kind: 'default' });
      });
      style.backgroundImage = cssUrl(background.path);
      element.dataset.position = background.position;
      if (background.position === 'stretch') {
        style.backgroundSize = '100% 100%';
      } else if (background.position === 'titl') {
        style.backgroundRepeat = 'repeat';
        style.backgroundPosition = '0 0';
      }
    }
  }

  function isShown(value, fallback) {
    value = String(value == null ? '' : value).trim();
    if (value === '1') {
      return true;
    }
    return value === '0' ? false : fallback === '1';
  }

  // Links from the index open web pages only; a scheme-less address is taken as a web address.
  function webLink(value) {
    var text = String(value || '').trim();
    if (!text) {
      return null;
    }
    if (/^https?:\/\//i.test(text)) {
      return text;
    }
    if (/^[a-zA-Z][a-zA-Z0-9+.\-]*:/.test(text) || /\s/.test(text)) {
      return null;
    }
    return 'http://' + text.replace(/^\/+/, '');
  }

  function mailLink(value) {
    var text = String(value || '').trim();
    return /^[^\s@<>"]+@[^\s@<>"]+$/.test(text) ? 'mailto:' + text : null;
  }

  // ---------------------------------------------------------------------------------------------
  // Page building helpers: data only ever reaches the page as text or as attribute values.

  function el(tag, className, parent) {
    var node = document.createElement(tag);
    if (className) {
      node.className = className;
    }
    if (parent) {
      parent.appendChild(node);
    }
    return node;
  }

  function icon(name) {
    var svg = document.createElementNS(SVG_NS, 'svg');
    svg.setAttribute('viewBox', '0 0 24 24');
    svg.setAttribute('aria-hidden', 'true');
    var path = document.createElementNS(SVG_NS, 'path');
    path.setAttribute('d', ICONS[name]);
    svg.appendChild(path);
    return svg;
  }

  function iconButton(name, label, className) {
    var button = el('button', 'mw-button' + (className ? ' ' + className : ''));
    button.type = 'button';
    button.title = label;
    button.setAttribute('aria-label', label);
    button.appendChild(icon(name));
    return button;
  }

  function setIcon(button, name) {
    button.replaceChild(icon(name), button.firstChild);
  }

  // ---------------------------------------------------------------------------------------------
  // The host: inside murano, reload and full screen are the window's business.

  var HOST_PATIENCE_MS = 4000;

  function HostBridge() {
    var self = this;
    this.host = null;
    this.state = 'none';
    this.pending = [];
    var qt = window.qt;
    if (!qt || !qt.webChannelTransport) {
      return;
    }
    this.state = 'connecting';
    // A channel that never answers must not swallow the buttons: the page acts on its own then.
    setTimeout(function () {
      if (self.state === 'connecting') {
        self.settle('failed');
      }
    }, HOST_PATIENCE_MS);
    var connect = function () {
      try {
        new window.QWebChannel(qt.webChannelTransport, function (channel) {
          self.host = channel && channel.objects ? channel.objects.host || null : null;
          self.settle(self.host ? 'ready' : 'failed');
        });
      } catch (e) {
        self.settle('failed');
      }
    };
    if (typeof window.QWebChannel === 'function') {
      connect();
      return;
    }
    var script = document.createElement('script');
    script.src = 'qrc:///qtwebchannel/qwebchannel.js';
    script.onload = function () {
      if (typeof window.QWebChannel === 'function') {
        connect();
      } else {
        self.settle('failed');
      }
    };
    script.onerror = function () { self.settle('failed'); };
    document.head.appendChild(script);
  }

  HostBridge.prototype.settle = function (state) {
    if (this.state !== 'connecting') {
      return;
    }
    this.state = state;
    var pending = this.pending;
    this.pending = [];
    pending.forEach(function (call) { this.send(call.message, call.fallback); }, this);
  };

  // Sends a request to the host, or runs the page's own fallback where there is no host.
  HostBridge.prototype.send = function (message, fallback) {
    if (this.state === 'ready') {
      this.host.flashCall(message);
    } else if (this.state === 'connecting') {
      this.pending.push({ message: message, fallback: fallback });
    } else {
      fallback();
    }
  };

  // ---------------------------------------------------------------------------------------------
  // The wall: slides in columns on a concave arc, seen in perspective. Only the columns near the
  // view are in the page; the wall turns by changing one transform.

  var ROW_LIMIT = 3;

  function rowsFor(count) {
    return count <= 3 ? 1 : count <= 8 ? 2 : ROW_LIMIT;
  }

  function clamp(value, low, high) {
    return Math.min(high, Math.max(low, value));
  }

  // The wall keeps two things apart: where it stands (position, the column at the centre of the
  // view, moved by drag, wheel and inertia) and the current slide (column and row, moved by keys and
  // shown with a highlight). The view follows the current slide only when it would leave the view.
  function Wall(root, stage, slides, onOpen, onMove) {
    this.root = root;
    this.stage = stage;
    this.slides = slides;
    this.onOpen = onOpen;
    this.onMove = onMove;
    this.rows = rowsFor(slides.length);
    this.columns = Math.ceil(slides.length / this.rows);
    this.element = el('div', 'mw-wall', stage);
    this.tiles = new Map();
    this.position = 0;
    this.target = 0;
    this.velocity = 0;
    this.mode = 'idle';
    this.cursor = 0;
    this.currentRow = 0;
    this.frame = 0;
    this.lastTime = 0;
    this.drag = null;
    this.wheelTimer = 0;
    this.first = Infinity;
    this.last = -Infinity;
    this.tick = this.tick.bind(this);
    this.root.dataset.moving = '0';
    this.layout();
    this.position = this.target = this.minPosition();
    this.render();
    this.listen();
  }

  Wall.prototype.layout = function () {
    var width = this.stage.clientWidth || window.innerWidth;
    var height = this.stage.clientHeight || window.innerHeight;
    var share = this.rows === 1 ? 0.34 : this.rows === 2 ? 0.25 : 0.19;
    var tileH = Math.max(60, Math.min(height * share, width * share * 0.75, 240));
    if (this.columns <= 4) {
      // A short wall shows whole, with room to breathe at both sides.
      tileH = Math.min(tileH, (width * 0.84 / this.columns) / 1.12 * 0.75);
    }
    tileH = Math.round(Math.max(48, tileH));
    var tileW = Math.round(tileH * 4 / 3);
    this.tileW = tileW;
    this.tileH = tileH;
    this.gap = Math.round(tileH * 0.12);
    this.pitch = tileW + this.gap;
    this.radius = Math.max(width * 1.15, this.pitch * 6);
    this.step = this.pitch / this.radius; // radians per column
    this.perspective = Math.round(width * 0.95);
    this.root.style.setProperty('--tile-w', tileW + 'px');
    this.root.style.setProperty('--tile-h', tileH + 'px');
    this.stage.style.perspective = this.perspective + 'px';
    var wallHeight = this.rows * tileH + (this.rows - 1) * this.gap;
    this.rowTop = -wallHeight / 2 + tileH / 2 - (this.rows > 1 ? tileH * 0.12 : tileH * 0.2);
    this.measureView(width);
    var tiles = this.tiles;
    this.tiles = new Map();
    tiles.forEach(function (tile) { tile.remove(); });
    this.first = Infinity;
    this.last = -Infinity;
    this.position = clamp(this.position, this.minPosition(), this.maxPosition());
    this.target = clamp(this.target, this.minPosition(), this.maxPosition());
    this.render();
  };

  // Where a point `offset` columns away from the centre of the view shows on screen.
  Wall.prototype.projectedX = function (offset) {
    var angle = offset * this.step;
    var x = this.radius * Math.sin(angle);
    var z = this.radius * (1 - Math.cos(angle));
    return z >= this.perspective * 0.92 ? Infinity : x * this.perspective / (this.perspective - z);
  };

  // span: columns either side of the centre that reach the screen (plus a spare one), kept in the
  // page. reach: columns either side that show whole, the view's margin for the current slide.
  // lead: how far from the centre the first column stands when the wall starts, so that the wall
  // begins just inside the left edge of the view.
  Wall.prototype.measureView = function (width) {
    var half = width / 2;
    this.reach = 0;
    for (var k = 1; k < 200; k++) {
      if (this.projectedX(k + 0.5) <= half - 8) {
        this.reach = k;
      }
      if (this.projectedX(k - 0.5) > half) {
        break;
      }
    }
    this.span = k + 1;
    var low = 0;
    var high = k;
    var margin = Math.max(16, width * 0.03);
    for (var i = 0; i < 30; i++) {
      var middle = (low + high) / 2;
      if (this.projectedX(middle + 0.5) <= half - margin) {
        low = middle;
      } else {
        high = middle;
      }
    }
    this.lead = low;
  };

  // A short wall stands centred; a long one starts with its first column at the left edge.
  Wall.prototype.minPosition = function () {
    return Math.min(this.lead, (this.columns - 1) / 2);
  };

  Wall.prototype.maxPosition = function () {
    return Math.max(this.columns - 1 - this.lead, (this.columns - 1) / 2);
  };

  Wall.prototype.render = function () {
    var angle = this.position * this.step;
    this.element.style.transform = 'translateZ(' + this.radius.toFixed(1) + 'px) rotateY(' + (angle * 180 / Math.PI).toFixed(4) + 'deg)';
    var first = Math.max(0, Math.floor(this.position) - this.span);
    var last = Math.min(this.columns - 1, Math.ceil(this.position) + this.span);
    if (first !== this.first || last !== this.last) {
      this.attach(first, last);
    }
    var range = this.maxPosition() - this.minPosition();
    this.onMove(this.currentIndex(), this.slides.length, range > 0 ? (this.position - this.minPosition()) / range : 1);
  };

  Wall.prototype.attach = function (first, last) {
    var self = this;
    this.tiles.forEach(function (tile, index) {
      var column = Math.floor(index / self.rows);
      if (column < first || column > last) {
        tile.remove();
        self.tiles.delete(index);
      }
    });
    var fragment = document.createDocumentFragment();
    for (var column = first; column <= last; column++) {
      for (var row = 0; row < this.rows; row++) {
        var index = column * this.rows + row;
        if (index < this.slides.length && !this.tiles.has(index)) {
          var tile = this.makeTile(index, column, row);
          this.tiles.set(index, tile);
          fragment.appendChild(tile);
        }
      }
    }
    this.element.appendChild(fragment);
    this.first = first;
    this.last = last;
    this.markCurrent();
  };

  Wall.prototype.makeTile = function (index, column, row) {
    var slide = this.slides[index];
    var tile = el('div', 'mw-tile');
    tile.dataset.index = String(index);
    tile.setAttribute('role', 'button');
    tile.setAttribute('aria-label', 'Slide ' + (index + 1));
    var y = this.rowTop + row * (this.tileH + this.gap);
    tile.style.transform = 'rotateY(' + (-column * this.step * 180 / Math.PI).toFixed(4) + 'deg) translateZ(' +
      (-this.radius).toFixed(1) + 'px) translateY(' + y.toFixed(1) + 'px)';
    var card = el('div', 'mw-card', tile);
    var number = el('span', 'mw-number', card);
    number.textContent = String(index + 1);
    var img = el('img', '', card);
    img.alt = '';
    img.draggable = false;
    img.decoding = 'async';
    var reflection = row === this.rows - 1 ? el('div', 'mw-reflection', tile) : null;
    var triedImage = false;
    img.onload = function () {
      img.classList.add('mw-loaded');
      number.remove();
      if (reflection) {
        var mirror = el('img', '', reflection);
        mirror.alt = '';
        mirror.src = img.src;
      }
    };
    img.onerror = function () {
      // A missing thumbnail falls back to the slide itself, then to its number.
      if (!triedImage) {
        triedImage = true;
        img.src = slide.image;
      }
    };
    img.src = slide.thumb;
    return tile;
  };

  Wall.prototype.currentIndex = function () {
    return Math.min(this.slides.length - 1, this.cursor * this.rows + this.currentRow);
  };

  Wall.prototype.markCurrent = function () {
    var index = this.currentIndex();
    if (this.currentTile) {
      this.currentTile.classList.remove('mw-current');
    }
    this.currentTile = this.tiles.get(index) || null;
    if (this.currentTile && this.root.dataset.keyboard === '1') {
      this.currentTile.classList.add('mw-current');
    }
    this.root.dataset.current = String(index);
  };

  // Motion: 'drag' follows the pointer, 'glide' coasts with friction, 'ease' settles on target.
  Wall.prototype.start = function () {
    if (!this.frame) {
      this.lastTime = performance.now();
      this.frame = requestAnimationFrame(this.tick);
      this.root.dataset.moving = '1';
    }
  };

  Wall.prototype.tick = function (now) {
    var dt = Math.min(64, Math.max(1, now - this.lastTime));
    this.lastTime = now;
    var min = this.minPosition();
    var max = this.maxPosition();
    if (this.mode === 'glide') {
      this.position += this.velocity * dt;
      this.velocity *= Math.pow(0.94, dt / 16);
      if (this.position < min || this.position > max) {
        this.velocity *= Math.pow(0.5, dt / 16);
      }
      if (Math.abs(this.velocity) < 0.0006) {
        this.mode = 'ease';
        this.target = clamp(Math.round(this.position), min, max);
        this.followView();
      }
    } else if (this.mode === 'ease') {
      this.position += (this.target - this.position) * (1 - Math.exp(-dt / 110));
      if (Math.abs(this.target - this.position) < 0.002) {
        this.position = this.target;
        this.mode = 'idle';
      }
    }
    this.render();
    if (this.mode === 'idle') {
      this.frame = 0;
      this.root.dataset.moving = '0';
    } else {
      this.frame = requestAnimationFrame(this.tick);
    }
  };

  Wall.prototype.goTo = function (target) {
    this.target = clamp(target, this.minPosition(), this.maxPosition());
    // A long way (Home or End on a long wall) starts close to the end of the journey: the last
    // stretch shows the motion without building every column on the way.
    var far = 3 * this.span;
    if (Math.abs(this.target - this.position) > far && this.mode !== 'drag') {
      this.position = this.target - Math.sign(this.target - this.position) * far;
    }
    if (this.mode !== 'drag') {
      this.mode = 'ease';
      this.start();
    }
  };

  // After the view was moved by hand, the current slide comes along into it.
  Wall.prototype.followView = function () {
    var centre = Math.round(this.target);
    this.cursor = clamp(this.cursor, Math.max(0, centre - this.reach), Math.min(this.columns - 1, centre + this.reach));
    this.markCurrent();
  };

  // Makes a column current and turns the wall just enough to show it whole.
  Wall.prototype.moveCursor = function (column) {
    this.cursor = clamp(column, 0, this.columns - 1);
    if (this.currentIndex() < this.cursor * this.rows + this.currentRow) {
      this.currentRow = this.currentIndex() % this.rows;
    }
    var target = clamp(Math.round(this.target), this.cursor - this.reach, this.cursor + this.reach);
    this.goTo(target);
    this.markCurrent();
  };

  Wall.prototype.showIndex = function (index) {
    this.currentRow = index % this.rows;
    this.moveCursor(Math.floor(index / this.rows));
  };

  Wall.prototype.moveRow = function (delta) {
    var row = clamp(this.currentRow + delta, 0, this.rows - 1);
    if (this.cursor * this.rows + row < this.slides.length) {
      this.currentRow = row;
      this.markCurrent();
      this.onMove(this.currentIndex(), this.slides.length, null);
    }
  };

  Wall.prototype.listen = function () {
    var self = this;
    var stage = this.stage;
    stage.addEventListener('pointerdown', function (event) {
      if (event.button !== 0) {
        return;
      }
      self.drag = { id: event.pointerId, x: event.clientX, y: event.clientY, start: self.position, moved: false,
        samples: [{ t: event.timeStamp, p: self.position }], target: event.target };
      self.velocity = 0;
      try { stage.setPointerCapture(event.pointerId); } catch (e) { /* the pointer may be gone */ }
    });
    stage.addEventListener('pointermove', function (event) {
      var drag = self.drag;
      if (!drag || drag.id !== event.pointerId) {
        return;
      }
      var dx = event.clientX - drag.x;
      if (!drag.moved && Math.abs(dx) + Math.abs(event.clientY - drag.y) < 6) {
        return;
      }
      if (!drag.moved) {
        drag.moved = true;
        self.mode = 'drag';
        stage.classList.add('mw-dragging');
      }
      var position = drag.start - dx / self.pitch;
      var min = self.minPosition();
      var max = self.maxPosition();
      // Past either end the wall gives way reluctantly.
      if (position < min) {
        position = min + (position - min) * 0.3;
      } else if (position > max) {
        position = max + (position - max) * 0.3;
      }
      self.position = position;
      drag.samples.push({ t: event.timeStamp, p: position });
      if (drag.samples.length > 6) {
        drag.samples.shift();
      }
      self.render();
    });
    var release = function (event) {
      var drag = self.drag;
      if (!drag || drag.id !== event.pointerId) {
        return;
      }
      self.drag = null;
      stage.classList.remove('mw-dragging');
      if (!drag.moved) {
        var tile = drag.target && drag.target.closest ? drag.target.closest('.mw-tile') : null;
        if (tile && event.type === 'pointerup') {
          self.onOpen(Number(tile.dataset.index));
        }
        return;
      }
      var samples = drag.samples;
      var a = samples[0];
      var b = samples[samples.length - 1];
      var elapsed = b.t - a.t;
      var recent = event.timeStamp - b.t < 80;
      self.velocity = clamp(elapsed > 0 && recent ? (b.p - a.p) / elapsed : 0, -0.08, 0.08);
      self.mode = 'glide';
      self.start();
    };
    stage.addEventListener('pointerup', release);
    stage.addEventListener('pointercancel', release);
    stage.addEventListener('wheel', function (event) {
      event.preventDefault();
      var unit = event.deltaMode === 1 ? 32 : event.deltaMode === 2 ? self.stage.clientWidth : 1;
      var delta = (Math.abs(event.deltaX) > Math.abs(event.deltaY) ? event.deltaX : event.deltaY) * unit;
      self.target = clamp(self.target + delta / self.pitch, self.minPosition(), self.maxPosition());
      self.mode = 'ease';
      self.start();
      clearTimeout(self.wheelTimer);
      self.wheelTimer = setTimeout(function () {
        self.goTo(Math.round(self.target));
        self.followView();
      }, 140);
    }, { passive: false });
  };

  // ---------------------------------------------------------------------------------------------
  // The slide viewer: one slide large, with previous and next.

  function Lightbox(root, slides, onClose) {
    var self = this;
    this.slides = slides;
    this.onClose = onClose;
    this.index = -1;
    this.element = el('div', 'mw-lightbox', root);
    this.element.setAttribute('role', 'dialog');
    this.element.setAttribute('aria-label', 'Slide viewer');
    var figure = el('figure', '', this.element);
    this.image = el('img', '', figure);
    this.image.alt = '';
    this.image.draggable = false;
    this.caption = el('figcaption', '', figure);
    this.prev = iconButton('prev', 'Previous slide', 'mw-nav mw-prev');
    this.next = iconButton('next', 'Next slide', 'mw-nav mw-next');
    var close = iconButton('close', 'Back to the wall', 'mw-dismiss');
    this.element.appendChild(this.prev);
    this.element.appendChild(this.next);
    this.element.appendChild(close);
    this.prev.addEventListener('click', function () { self.show(self.index - 1); });
    this.next.addEventListener('click', function () { self.show(self.index + 1); });
    close.addEventListener('click', function () { self.close(); });
    // A swipe steps through the slides; a click beside the slide (not the end of a swipe) closes.
    var swipe = null;
    var swiped = false;
    this.element.addEventListener('pointerdown', function (event) {
      swipe = { x: event.clientX, id: event.pointerId };
      swiped = false;
    });
    this.element.addEventListener('pointerup', function (event) {
      if (swipe && swipe.id === event.pointerId && Math.abs(event.clientX - swipe.x) > 50) {
        swiped = true;
        self.show(self.index + (event.clientX < swipe.x ? 1 : -1));
      }
      swipe = null;
    });
    this.element.addEventListener('click', function (event) {
      if (event.target === self.element && !swiped) {
        self.close();
      }
    });
    // A slide whose full image is missing shows its thumbnail.
    this.image.addEventListener('error', function () {
      var slide = self.slides[self.index];
      if (slide && self.image.getAttribute('src') !== slide.thumb) {
        self.image.src = slide.thumb;
      }
    });
  }

  Lightbox.prototype.isOpen = function () {
    return this.index >= 0;
  };

  Lightbox.prototype.show = function (index) {
    if (index < 0 || index >= this.slides.length) {
      return;
    }
    this.index = index;
    this.image.src = this.slides[index].image;
    this.image.dataset.index = String(index);
    this.caption.textContent = (index + 1) + ' / ' + this.slides.length;
    this.prev.disabled = index === 0;
    this.next.disabled = index === this.slides.length - 1;
    this.element.classList.add('mw-open');
    [index - 1, index + 1].forEach(function (near) {
      if (near >= 0 && near < this.slides.length) {
        new Image().src = this.slides[near].image;
      }
    }, this);
  };

  Lightbox.prototype.close = function () {
    if (!this.isOpen()) {
      return;
    }
    var index = this.index;
    this.index = -1;
    this.element.classList.remove('mw-open');
    this.onClose(index);
  };

  // ---------------------------------------------------------------------------------------------
  // The page around the wall: logo, title, buttons, panels, counter.

  function Panel(root, name) {
    var self = this;
    this.element = el('div', 'mw-panel mw-' + name + '-panel', root);
    this.element.setAttribute('role', 'dialog');
    var close = el('button', 'mw-close', this.element);
    close.type = 'button';
    close.setAttribute('aria-label', 'Close');
    close.appendChild(icon('close'));
    close.addEventListener('click', function () { self.close(); });
    this.body = el('div', '', this.element);
  }

  Panel.prototype.isOpen = function () {
    return this.element.classList.contains('mw-open');
  };

  Panel.prototype.toggle = function () {
    this.element.classList.toggle('mw-open');
  };

  Panel.prototype.close = function () {
    this.element.classList.remove('mw-open');
  };

  function fillInfo(panel, settings) {
    var body = panel.body;
    var any = false;
    var line = function (tag, className, text) {
      if (!text) {
        return null;
      }
      any = true;
      var node = el(tag, className, body);
      node.textContent = text;
      return node;
    };
    line('h2', 'mw-book-title', settings.book_title);
    line('p', 'mw-byline', settings.display_name);
    line('p', 'mw-description', settings.description);
    var contact = function (iconName, text, href, className) {
      if (!text) {
        return;
      }
      any = true;
      var row = el('div', 'mw-contact ' + className, body);
      row.appendChild(icon(iconName));
      var target = el(href ? 'a' : 'span', '', row);
      target.textContent = text;
      if (href) {
        target.href = href;
        if (href.indexOf('mailto:') !== 0) {
          target.target = '_blank';
          target.rel = 'noopener noreferrer';
        }
      }
    };
    contact('mail', settings.email, mailLink(settings.email), 'mw-email');
    contact('globe', settings.website, webLink(settings.website), 'mw-website');
    if (!any) {
      line('p', 'mw-muted', 'No book information has been given.');
    }
  }

  function fillShare(panel) {
    var label = el('p', 'mw-label', panel.body);
    label.textContent = 'Share this wall';
    var row = el('div', 'mw-share-row', panel.body);
    var address = el('input', 'mw-address', row);
    address.type = 'text';
    address.readOnly = true;
    address.value = location.href;
    address.setAttribute('aria-label', 'Address of this page');
    var copy = el('button', 'mw-copy', row);
    copy.type = 'button';
    copy.textContent = 'Copy';
    copy.addEventListener('click', function () {
      address.select();
      var done = function () { copy.textContent = 'Copied'; };
      if (navigator.clipboard && window.isSecureContext) {
        navigator.clipboard.writeText(address.value).then(done, function () {
          if (document.execCommand('copy')) {
            done();
          }
        });
      } else if (document.execCommand('copy')) {
        done();
      }
    });
    return address;
  }

  function isFullScreen() {
    return !!(document.fullscreenElement || document.webkitFullscreenElement);
  }

  function togglePageFullScreen() {
    var doc = document.documentElement;
    if (isFullScreen()) {
      (document.exitFullscreen || document.webkitExitFullscreen).call(document);
    } else if (doc.requestFullscreen) {
      doc.requestFullscreen().catch(function () { /* refused without a user gesture */ });
    } else if (doc.webkitRequestFullscreen) {
      doc.webkitRequestFullscreen();
    }
  }

  function buildChrome(root, settings, bridge) {
    var bar = el('div', 'mw-topbar', root);
    if (isShown(settings.logo_visible, DEFAULTS.logo_visible) && isRelativePath(String(settings.logo_img).trim())) {
      var link = webLink(settings.logo_link);
      var holder = el(link ? 'a' : 'span', 'mw-logo', bar);
      if (link) {
        holder.href = link;
        holder.target = '_blank';
        holder.rel = 'noopener noreferrer';
      }
      var logo = el('img', '', holder);
      logo.alt = 'Logo';
      logo.draggable = false;
      findFile(String(settings.logo_img).trim().replace(/\\/g, '/'), function (path) {
        logo.src = fileUrl(path);
      }, function () {
        holder.remove();
      });
    }
    var title = el('div', 'mw-title', bar);
    title.textContent = settings.book_title;
    var buttons = el('div', 'mw-buttons', bar);
    var panels = [];
    var add = function (attribute, name, label, action) {
      if (!isShown(settings[attribute], DEFAULTS[attribute])) {
        return null;
      }
      var button = iconButton(name, label, 'mw-' + name + '-button');
      button.addEventListener('click', action);
      buttons.appendChild(button);
      return button;
    };
    var openOnly = function (panel) {
      panels.forEach(function (other) {
        if (other !== panel) {
          other.close();
        }
      });
      panel.toggle();
    };
    if (isShown(settings.btn_info, DEFAULTS.btn_info)) {
      var info = new Panel(root, 'info');
      fillInfo(info, settings);
      panels.push(info);
      add('btn_info', 'info', 'Book information', function () { openOnly(info); });
    }
    if (isShown(settings.btn_share, DEFAULTS.btn_share)) {
      var share = new Panel(root, 'share');
      var address = fillShare(share);
      panels.push(share);
      add('btn_share', 'share', 'Share', function () {
        address.value = location.href;
        openOnly(share);
        if (share.isOpen()) {
          address.focus();
          address.select();
        }
      });
    }
    add('btn_reload', 'reload', 'Reload', function () {
      bridge.send('reload', function () { location.reload(); });
    });
    var full = add('btn_fullscreen', 'fullscreen', 'Full screen', function () {
      bridge.send('fullScreen', togglePageFullScreen);
    });
    if (full) {
      var sync = function () { setIcon(full, isFullScreen() ? 'exitFullscreen' : 'fullscreen'); };
      document.addEventListener('fullscreenchange', sync);
      document.addEventListener('webkitfullscreenchange', sync);
    }
    return panels;
  }

  var HINT_MS = 6000;

  function buildFooter(root) {
    var footer = el('div', 'mw-footer', root);
    var counter = el('span', 'mw-counter', footer);
    var track = el('div', 'mw-track', footer);
    var fill = el('i', '', track);
    var hint = el('span', 'mw-hint', footer);
    hint.textContent = 'Drag, scroll or use the arrow keys \u00b7 click a slide to open it';
    var dismiss = function () {
      hint.classList.add('mw-gone');
      root.removeEventListener('pointerdown', dismiss, true);
      document.removeEventListener('keydown', dismiss, true);
    };
    setTimeout(dismiss, HINT_MS);
    root.addEventListener('pointerdown', dismiss, true);
    document.addEventListener('keydown', dismiss, true);
    return function (index, count, progress) {
      counter.textContent = (index + 1) + ' / ' + count;
      if (progress !== null) {
        fill.style.width = (clamp(progress, 0, 1) * 100).toFixed(2) + '%';
      }
    };
  }

  function buildEmpty(stage) {
    var empty = el('div', 'mw-empty', stage);
    var svg = icon('empty');
    svg.setAttribute('fill', 'none');
    svg.setAttribute('stroke', 'currentColor');
    svg.setAttribute('stroke-width', '1.4');
    empty.appendChild(svg);
    empty.appendChild(document.createTextNode('This wall has no slides yet.'));
  }

  function addStyle() {
    var style = document.createElement('style');
    style.textContent = CSS;
    document.head.appendChild(style);
  }

  // Keys: arrows, Page Up/Down, Home and End browse; Enter opens; Escape goes back.
  function bindKeys(root, wall, lightbox, panels) {
    document.addEventListener('keydown', function (event) {
      if (event.altKey || event.ctrlKey || event.metaKey) {
        return;
      }
      var key = event.key;
      var openPanel = panels.filter(function (panel) { return panel.isOpen(); })[0];
      if (key === 'Escape') {
        if (lightbox && lightbox.isOpen()) {
          lightbox.close();
        } else if (openPanel) {
          openPanel.close();
        }
        return;
      }
      if (!wall || (event.target && event.target.tagName === 'INPUT')) {
        return;
      }
      if (lightbox.isOpen()) {
        if (key === 'ArrowLeft' || key === 'PageUp') {
          lightbox.show(lightbox.index - 1);
        } else if (key === 'ArrowRight' || key === 'PageDown' || key === ' ') {
          lightbox.show(lightbox.index + 1);
        } else {
          return;
        }
        event.preventDefault();
        return;
      }
      var handled = true;
      root.dataset.keyboard = '1';
      if (key === 'ArrowRight') {
        wall.moveCursor(wall.cursor + 1);
      } else if (key === 'ArrowLeft') {
        wall.moveCursor(wall.cursor - 1);
      } else if (key === 'ArrowUp') {
        wall.moveRow(-1);
      } else if (key === 'ArrowDown') {
        wall.moveRow(1);
      } else if (key === 'PageDown') {
        wall.moveCursor(wall.cursor + 2 * wall.reach + 1);
      } else if (key === 'PageUp') {
        wall.moveCursor(wall.cursor - 2 * wall.reach - 1);
      } else if (key === 'Home') {
        wall.moveCursor(0);
      } else if (key === 'End') {
        wall.moveCursor(wall.columns - 1);
      } else if (key === 'Enter' && event.target.tagName !== 'BUTTON' && event.target.tagName !== 'A') {
        lightbox.show(wall.currentIndex());
      } else {
        handled = false;
      }
      if (handled) {
        event.preventDefault();
        wall.markCurrent();
      }
    });
  }

  function start(root, loaded) {
    var gallery = parseGallery(loaded.text);
    var settings = gallery.settings;
    var slides = slidesOf(gallery);
    var bridge = new HostBridge();
    root.textContent = '';
    root.dataset.source = loaded.source;
    root.dataset.slides = String(slides.length);

    var backdrop = el('div', 'mw-backdrop', root);
    applyBackground(backdrop, parseBackground(settings.back_ground));
    el('div', 'mw-shade', root);
    var stage = el('div', 'mw-stage', root);
    stage.tabIndex = 0;
    stage.setAttribute('aria-label', 'Slide wall');
    var panels = buildChrome(root, settings, bridge);
    var wall = null;
    var lightbox = null;
    if (slides.length) {
      var showPosition = buildFooter(root);
      lightbox = new Lightbox(root, slides, function (index) {
        wall.showIndex(index);
        stage.focus({ preventScroll: true });
      });
      wall = new Wall(root, stage, slides, function (index) { lightbox.show(index); }, showPosition);
      var resizeTimer = 0;
      window.addEventListener('resize', function () {
        clearTimeout(resizeTimer);
        resizeTimer = setTimeout(function () { wall.layout(); }, 60);
      });
    } else {
      buildEmpty(stage);
    }

    bindKeys(root, wall, lightbox, panels);
    // The highlight of the current slide is for keyboard use; a pointer hides it. A press on the
    // wall also puts away an open panel.
    root.addEventListener('pointerdown', function (event) {
      root.dataset.keyboard = '0';
      if (wall) {
        wall.markCurrent();
      }
      if (stage.contains(event.target)) {
        panels.forEach(function (panel) { panel.close(); });
      }
    }, true);
    stage.focus({ preventScroll: true });
    root.dataset.state = 'ready';
  }

  function boot() {
    var root = document.getElementById('murano-wall');
    if (!root) {
      root = el('div', '', document.body);
      root.id = 'murano-wall';
    }
    addStyle();
    root.dataset.state = 'loading';
    loadIndex().then(function (loaded) {
      start(root, loaded);
    });
  }

  if (document.readyState === 'loading') {
    document.addEventListener('DOMContentLoaded', boot);
  } else {
    boot();
  }
})();

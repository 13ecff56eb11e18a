// The stage behind the wall: a colour, a gradient or an image, as the index's back_ground says.

import { cssUrl, findFile, isRelativePath } from './paths.js';

function parseColour(text) {
  var m = /^\s*(?:0x|#)([0-9a-fA-F]{6})\s*$/.exec(text || '');
  return m ? '#' + m[1].toLowerCase() : null;
}

// back_ground: 0{0xRRGGBB} a colour, 1{0xRRGGBB,0xRRGGBB,angle} a gradient, 2{path,position} an
// image placed at the centre, stretched or tiled ("titl"). Anything else keeps the default stage.
export function parseBackground(value) {
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

export function applyBackground(element, background) {
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

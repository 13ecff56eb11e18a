// Page building helpers and the stroke icons: data only ever reaches the page as text or as
// attribute values.

var SVG_NS = 'http://www.w3.org/2000/svg';

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
  empty: 'M3 6h7v6H3zM14 6h7v6h-7zM3 15h7v3H3zM14 15h7v3h-7z',
  play: 'M8 5v14l11-7z',
  pause: 'M8 5v14M16 5v14',
  search: 'M10.5 18a7.5 7.5 0 1 0 0-15 7.5 7.5 0 0 0 0 15zM16 16l5 5',
  notes: 'M5 3h14v18H5zM8.5 8h7M8.5 12h7M8.5 16h4',
  help: 'M12 22a10 10 0 1 0 0-20 10 10 0 0 0 0 20zM9.5 9a2.5 2.5 0 1 1 3.5 2.3c-.6.3-1 .9-1 1.6v.6M12 17v.5'
};

// ---------------------------------------------------------------------------------------------
// Page building helpers: data only ever reaches the page as text or as attribute values.

export function el(tag, className, parent) {
  var node = document.createElement(tag);
  if (className) {
    node.className = className;
  }
  if (parent) {
    parent.appendChild(node);
  }
  return node;
}

export function icon(name) {
  var svg = document.createElementNS(SVG_NS, 'svg');
  svg.setAttribute('viewBox', '0 0 24 24');
  svg.setAttribute('aria-hidden', 'true');
  var path = document.createElementNS(SVG_NS, 'path');
  path.setAttribute('d', ICONS[name]);
  svg.appendChild(path);
  return svg;
}

export function iconButton(name, label, className) {
  var button = el('button', 'mw-button' + (className ? ' ' + className : ''));
  button.type = 'button';
  setLabel(button, label);
  button.appendChild(icon(name));
  return button;
}

export function setIcon(button, name) {
  button.replaceChild(icon(name), button.firstChild);
}

export function setLabel(button, label) {
  button.title = label;
  button.setAttribute('aria-label', label);
}

// Below the wall: the slide counter, the position track and the first-use hint; the empty stage.

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

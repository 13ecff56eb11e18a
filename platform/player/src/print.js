// Printing: the slides one per page, scaled to the paper, without the player around them; with
// the viewer open, only the slide in it. The pages are made when printing begins.

import { el } from './dom.js';

export function preparePrint(root, slides, lightbox) {
  var sheet = el('div', 'mw-print', root);
  var printed = '';
  var fill = function () {
    var indexes = lightbox.isOpen() ? [lightbox.index] : slides.map(function (slide, index) { return index; });
    if (indexes.join() === printed) {
      return;
    }
    printed = indexes.join();
    sheet.textContent = '';
    indexes.forEach(function (index) {
      var page = el('figure', '', sheet);
      var img = el('img', '', page);
      img.alt = 'Slide ' + (index + 1);
      img.src = slides[index].image;
    });
  };
  window.addEventListener('beforeprint', fill);
  if (window.matchMedia) {
    var print = window.matchMedia('print');
    print.addEventListener('change', function () {
      if (print.matches) {
        fill();
      }
    });
  }
}

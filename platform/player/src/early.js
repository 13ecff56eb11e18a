// The page's first script, which the build writes into the page itself: it asks for the gallery
// index at once (the player picks the request up when its own, much larger script has run) and,
// as soon as the index has arrived, for the pictures of the tiles the wall shows first, so that
// those tiles find them on their way or in the page's cache instead of asking only once the
// player has run.

import { readIndex } from './gallery_index.js';
import { startTiles } from './layout.js';
import { sendIndexRequest } from './loading.js';
import { freshToken } from './paths.js';

// The pictures stay referenced from the window, so that the page's cache keeps them for the tiles;
// the reading of the index stays there for the player.
function askForFirstPictures(text) {
  var slides = (window.muranoIndexRead = readIndex(text)).slides;
  var view = { width: window.innerWidth, height: window.innerHeight };
  var tiles = startTiles(view, slides.length, window.devicePixelRatio || 1);
  window.muranoFirstPictures = slides.slice(tiles.first, tiles.end).map(function (slide) {
    var img = new Image();
    img.src = tiles.sharp ? slide.image : slide.thumb;
    return img;
  });
}

var indexRequest = window.muranoIndexRequest = sendIndexRequest();
// Files on disk carry a token made each time the player's modules load, so the player's own
// addresses for them differ from these: a page from disk leaves its pictures to the tiles.
if (indexRequest && !freshToken) {
  indexRequest.addEventListener('load', function () {
    if (indexRequest.status >= 200 && indexRequest.status < 300) {
      askForFirstPictures(indexRequest.responseText);
    }
  });
}

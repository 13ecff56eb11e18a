// The page's address and the slides: the fragment that opens one slide (#slide=N, counted from 1),
// and the key under which the browser remembers where a reader stopped in a book.

var SLIDE_FRAGMENT = /^#?slide=([1-9][0-9]{0,8})$/;

// The slide (from 0) a fragment names, or -1 for no fragment, another fragment, garbage or a
// number past the last slide.
export function slideFromFragment(fragment, count) {
  var match = SLIDE_FRAGMENT.exec(String(fragment || ''));
  if (!match) {
    return -1;
  }
  var index = Number(match[1]) - 1;
  return index < count ? index : -1;
}

export function fragmentFor(index) {
  return '#slide=' + (index + 1);
}

// The address without its fragment: the book itself, whichever slide a link opened.
export function bookAddress(href) {
  var hash = String(href).indexOf('#');
  return hash < 0 ? String(href) : String(href).slice(0, hash);
}

export function resumeKey(href) {
  return 'murano.lastSlide:' + bookAddress(href);
}

// The slide to offer to continue at, from what was stored: -1 when nothing usable was stored, or
// the first slide (there is nothing to continue then).
export function resumeSlide(stored, count) {
  var index = /^[0-9]{1,9}$/.test(String(stored)) ? Number(stored) : -1;
  return index > 0 && index < count ? index : -1;
}

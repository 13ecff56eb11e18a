// Start-up: the style sheet, the index, then the whole page.

function addStyle() {
  var style = document.createElement('style');
  style.textContent = CSS;
  document.head.appendChild(style);
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

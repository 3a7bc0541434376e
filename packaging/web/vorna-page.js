// Starts the game on the page's canvas, or says why it cannot. Everything the page loads comes
// from its own folder, brought in by vorna-loader.js. window.Module is there from the start, for
// the page's controls (vorna-controls.js) to plug into.
(function () {
  'use strict';
  var canvas = document.getElementById('canvas');
  var message = document.getElementById('message');
  var notice = document.getElementById('notice');

  function say(text) {
    vornaLoader.stop();
    canvas.hidden = true;
    notice.hidden = true;
    message.textContent = text;
    message.hidden = false;
  }

  // The game's own WebGL context, made here with the attributes its window asks for
  // (GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH: no alpha, a depth buffer, no stencil, no antialiasing),
  // so the game finds it made, and a browser without WebGL is told so. It waits until the game's
  // files are in and the loader's worker has started the GPU process (the progress bar moves
  // meanwhile), and overlaps the wasm's compilation.
  function webgl() {
    var attributes = {alpha: false, depth: true, stencil: false, antialias: false};
    return canvas.getContext('webgl', attributes) ||
        canvas.getContext('experimental-webgl', attributes);
  }

  canvas.addEventListener('mousedown', function () { canvas.focus(); });
  // A long press on the view or a control is play, not a menu.
  ['canvas', 'moves', 'actions'].forEach(function (id) {
    document.getElementById(id).addEventListener('contextmenu', function (event) {
      event.preventDefault();
    });
  });

  // A lost context comes back (phones take it when memory runs short or the page goes to the
  // background): the game waits meanwhile, and the page says so. Its default would forbid the
  // return; the game, once started, handles the rest.
  canvas.addEventListener('webglcontextlost', function (event) {
    event.preventDefault();
    notice.textContent = 'The browser has taken the graphics away for a moment. The game waits ' +
        'and goes on when they are back.';
    notice.hidden = false;
  });
  canvas.addEventListener('webglcontextrestored', function () { notice.hidden = true; });

  var Module = window.Module = {
    canvas: canvas,
    print: function (text) { console.log(text); },
    printErr: function (text) { console.error(text); },
    onExit: function () {
      say('The game has ended. Reload the page to start it again.');
    },
    cannotDraw: function () {
      say('This browser cannot show the game: its WebGL refuses the game\'s shaders.');
    },
  };
  vornaLoader.downloaded.then(function () {
    if (!window.WebAssembly || !webgl()) {
      say('This browser cannot show the game: it needs WebGL and WebAssembly, which are turned ' +
          'off or missing here.');
      return;
    }
    vornaLoader.start(Module);
  });
  canvas.focus();
})();

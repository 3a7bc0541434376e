// Starts the game on the page's canvas, or says why it cannot. Everything the page loads comes
// from its own folder, brought in by vorna-loader.js.
(function () {
  'use strict';
  var canvas = document.getElementById('canvas');
  var message = document.getElementById('message');

  function say(text) {
    vornaLoader.stop();
    canvas.hidden = true;
    message.textContent = text;
    message.hidden = false;
  }

  // The game's own WebGL context, made here with the attributes its window asks for
  // (GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH: no alpha, a depth buffer, no stencil, no antialiasing),
  // so the game finds it made, and a browser without WebGL is told so. Making a context is the
  // slowest step of the start on a software renderer, so it waits until the game's files are in
  // (the progress bar moves meanwhile) and overlaps the wasm's compilation.
  function webgl() {
    var attributes = {alpha: false, depth: true, stencil: false, antialias: false};
    return canvas.getContext('webgl', attributes) ||
        canvas.getContext('experimental-webgl', attributes);
  }

  // The game's keys never scroll the page.
  var gameKeys = ['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', ' ', 'Spacebar'];
  window.addEventListener('keydown', function (event) {
    if (gameKeys.indexOf(event.key) >= 0) event.preventDefault();
  }, true);
  canvas.addEventListener('mousedown', function () { canvas.focus(); });
  canvas.addEventListener('contextmenu', function (event) { event.preventDefault(); });
  canvas.addEventListener('webglcontextlost', function (event) {
    event.preventDefault();
    say('The graphics context was lost. Reload the page to play again.');
  });

  vornaLoader.downloaded.then(function () {
    if (!window.WebAssembly || !webgl()) {
      say('This browser cannot show the game: it needs WebGL and WebAssembly, which are turned ' +
          'off or missing here.');
      return;
    }
    window.Module = {
      canvas: canvas,
      print: function (text) { console.log(text); },
      printErr: function (text) { console.error(text); },
      onExit: function () {
        say('The game has ended. Reload the page to start it again.');
      },
    };
    vornaLoader.start(window.Module);
  });
  canvas.focus();
})();

// The page's own controls. The touch buttons and a tap on the view are one virtual gamepad of the
// game's (Module.vornaPads): each holds its pad control down while a finger (or the mouse) is on
// it, so the game reads them on its tick like any pad's, a held direction walking or turning on
// as a held key does. The full screen button, where the browser can do it.
(function () {
  'use strict';
  var canvas = document.getElementById('canvas');

  // The pad in the standard layout: 0 A (a tap on the view: the click that marks the wall
  // ahead), 3 Y (view from above), 9 Start (start, again after a game over), 12-15 the D-pad.
  var pad = {buttons: []};
  for (var i = 0; i < 17; ++i) pad.buttons.push({pressed: false, tapped: false});
  (Module.vornaPads = Module.vornaPads || []).push(pad);

  function paused() {
    return !!Module.vornaPause && Module.vornaPause.paused();
  }

  // A control is down while any pointer holds it; a press shorter than a tick still counts once.
  // Nothing is pressed while the game waits, so nothing happens late.
  function control(element, index, onDown) {
    var holding = {};
    var button = pad.buttons[index];
    function release(event) {
      if (!holding[event.pointerId]) return;
      delete holding[event.pointerId];
      button.pressed = Object.keys(holding).length > 0;
      element.classList.toggle('down', button.pressed);
    }
    element.addEventListener('pointerdown', function (event) {
      if (onDown && !onDown(event)) return;
      event.preventDefault();  // no mouse events after it: no click on the canvas, no focus
      if (paused()) return;
      holding[event.pointerId] = true;
      button.pressed = button.tapped = true;
      element.classList.add('down');
      if (element.setPointerCapture) element.setPointerCapture(event.pointerId);
    });
    ['pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
      element.addEventListener(type, release);
    });
    return button;
  }

  // The buttons; a click that no pointer made (a key on the focused button, a screen reader)
  // is a tap.
  Array.prototype.forEach.call(document.querySelectorAll('button[data-pad]'), function (element) {
    var button = control(element, +element.getAttribute('data-pad'));
    var pointed = false;
    element.addEventListener('pointerdown', function () { pointed = true; });
    element.addEventListener('click', function () {
      if (!pointed && !paused()) button.tapped = true;
      pointed = false;
    });
  });
  // The view: a touch or a pen is the pad's A; the mouse keeps its own click.
  control(canvas, 0, function (event) {
    canvas.focus({preventScroll: true});
    return event.pointerType != 'mouse';
  });

  // Full screen for the whole page, controls and all; leaving it gives the layout back.
  var full = document.getElementById('fullscreen');
  var root = document.documentElement;
  var request = root.requestFullscreen || root.webkitRequestFullscreen;
  var exit = document.exitFullscreen || document.webkitExitFullscreen;
  function fullElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }
  if (request && (document.fullscreenEnabled || document.webkitFullscreenEnabled)) {
    full.hidden = false;
    full.addEventListener('click', function () {
      var done = fullElement() ? exit.call(document) : request.call(root);
      if (done && done.catch) done.catch(function () {});
      canvas.focus({preventScroll: true});  // the keys stay the game's
    });
    ['fullscreenchange', 'webkitfullscreenchange'].forEach(function (type) {
      document.addEventListener(type, function () {
        full.setAttribute('aria-pressed', fullElement() ? 'true' : 'false');
      });
    });
  }
})();

// A standard gamepad for the page, installed before its own scripts in place of
// navigator.getGamepads (a real one cannot be made). The test queues what the pad does: each
// entry is what one read of the pads (one game tick) sees held down, a button by its standard
// index or 'stick' for the left stick pushed all the way up. A tap is its control down for one
// read; a tap of the control just queued waits a read with nothing down, so the two stay two
// presses.
(function () {
  'use strict';
  var pad = {id: 'Vorna test pad (STANDARD GAMEPAD)', index: 0, connected: true,
             mapping: 'standard', timestamp: 0, axes: [0, 0, 0, 0], buttons: []};
  for (var i = 0; i < 17; ++i) pad.buttons.push({pressed: false, touched: false, value: 0});
  var queue = [], plugged = false;
  Object.defineProperty(Navigator.prototype, 'getGamepads', {configurable: true, value: function () {
    var held = queue.length ? queue.shift() : null;
    pad.buttons.forEach(function (b, i) {
      b.pressed = b.touched = held === i;
      b.value = held === i ? 1 : 0;
    });
    pad.axes[1] = held === 'stick' ? -1 : 0;
    pad.timestamp = performance.now();
    return [plugged ? pad : null, null, null, null];
  }});
  window.vornaTestPad = {
    plug: function (on) { plugged = on; },
    tap: function (control) {
      if (queue.length && queue[queue.length - 1] === control) queue.push(null);
      queue.push(control);
    },
  };
})();

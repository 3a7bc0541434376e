#include <GL/freeglut.h>
#include <GL/glfixed.h>
#include <emscripten.h>

#include <cstdio>

#include "platform/platform.h"

// The browser page: one canvas, and an in-memory file system whose working folder holds the font
// (built into the program) and takes vorna.txt; the sounds come over the network (audio_webaudio).

// clang-format off
// std::exit in a page throws ExitStatus out of the key handler while the game's timer keeps the
// runtime alive, so nothing would end. Caught here, it ends the program for real: exit-time
// destructors run (the sound stops), the toolkit's callbacks go, and the page is told.
EM_JS(void, web_end_on_exit, (), {
  window.addEventListener('error', function(event) {
    if (!(event.error instanceof ExitStatus)) return;
    event.preventDefault();
    ['displayFunc', 'idleFunc', 'keyboardFunc', 'specialFunc', 'mouseFunc', 'motionFunc',
     'passiveMotionFunc', 'reshapeFunc'].forEach(function(name) { GLUT[name] = 0; });
    try { _vorna_web_end(event.error.status); } catch (e) {}
  });
});

// What reaches the game, and when it stands still. Emscripten's GLUT listens on the whole window
// and holds back from the browser every key it knows (F5, F11, Tab, Backspace, Home...), and
// turns touches into clicks. Here only the game's own keys (the arrows, space, Esc, b q r s,
// without Ctrl, Alt or Meta) reach it, and only while the game has the focus (its canvas, or
// nothing else focused: a focused button or link keeps its keys) and is not paused; everything
// else is left to the browser. A touch on the canvas comes through as the browser's click, or as
// the page's own controls make of it.
//
// The pause, Module.vornaPause, has reasons: 'hidden' while the page is hidden, 'context' while
// the WebGL context is lost (the sound held too, until it is restored and glfixed has remade its
// objects), 'graphics' for good where glfixed cannot draw at all (Module.cannotDraw tells the
// page). The page listens to the canvas's context events itself for what it shows meanwhile.
EM_JS(void, web_take_input, (), {
  var P = Module.vornaPause = {reasons: {}};
  P.paused = function() { return Object.keys(P.reasons).length > 0; };
  P.set = function(reason, on) { if (on) P.reasons[reason] = true; else delete P.reasons[reason]; };
  P.lost = function(on) {
    P.set('context', on);
    if (Module.vornaAudio) Module.vornaAudio.hold('context', on);
  };
  P.cannotDraw = function() {
    P.set('graphics', true);
    if (Module.cannotDraw) Module.cannotDraw();
  };

  var keys = {27: 1, 32: 1, 37: 1, 38: 1, 39: 1, 40: 1, 66: 1, 81: 1, 82: 1, 83: 1};
  var focused = function() {
    var e = document.activeElement;
    return !e || e == document.body || e == Module.canvas;
  };
  var gameKey = function(event) {
    return keys[event.keyCode] && !event.ctrlKey && !event.altKey && !event.metaKey &&
        focused() && !P.paused();
  };
  var playing = function() { return !P.paused(); };
  [['keydown', 'onKeydown', gameKey], ['keyup', 'onKeyup', gameKey],
   ['mousedown', 'onMouseButtonDown', playing]].forEach(function(l) {
    var event = l[0], name = l[1], when = l[2], handler = GLUT[name];
    window.removeEventListener(event, handler, true);
    GLUT[name] = function(e) { if (when(e)) handler(e); };  // its exit-time removal still finds it
    window.addEventListener(event, GLUT[name], true);
  });
  ['touchstart', 'touchmove', 'touchend'].forEach(function(event) {
    window.removeEventListener(event, GLUT.touchHandler, true);
  });

  var onVisibility = function() { P.set('hidden', document.hidden); };
  document.addEventListener('visibilitychange', onVisibility);
  onVisibility();
  Module.canvas.addEventListener('webglcontextlost', function(event) {
    event.preventDefault();  // or it would not come back
    P.lost(true);
  });
  Module.canvas.addEventListener('webglcontextrestored', function() {
    if (_vorna_web_restore()) P.lost(false); else P.cannotDraw();
  });
});

EM_JS(int, web_paused, (), {
  return Module.vornaPause.paused();
});

// glfixed cannot draw: in a lost context until it is restored (lost before the game listened,
// the event is gone, but the restore comes), else never.
EM_JS(void, web_cannot_draw, (), {
  var P = Module.vornaPause;
  if (Module.ctx && Module.ctx.isContextLost()) P.lost(true); else P.cannotDraw();
});

EM_JS(void, web_set_title, (const char* title), {
  document.title = UTF8ToString(title);
});
// clang-format on

// Ends the runtime although the game's timer is still pending.
extern "C" EMSCRIPTEN_KEEPALIVE void vorna_web_end(int status) {
  emscripten_force_exit(status);
}

// The WebGL context is back: glfixed remakes its objects in it, and the frame is drawn again.
extern "C" EMSCRIPTEN_KEEPALIVE int vorna_web_restore() {
  if (!glfixed_restore()) return 0;
  glutPostRedisplay();
  return 1;
}

// The page shows the frame as the display callback returns, so the GL layer's last batch must be
// drawn by then, as a desktop driver does at the swap. Emscripten's own swap does nothing.
extern "C" void glutSwapBuffers() {
  glFlush();
}

// Emscripten's GLUT has no options to set; what the desktop's window close does, q does here.
void set_toolkit_options() {
  web_end_on_exit();
  web_take_input();
}

// Hidden, or without a context to draw in. A lost context can show first as glfixed unable to
// make its objects (lost before the first frame), before the browser's event says so.
bool game_paused() {
  if (web_paused()) return true;
  if (glfixed_ready()) return false;
  web_cannot_draw();
  return true;
}

// A page cannot move the player's pointer.
void move_pointer(int, int) {}

void set_window_title(const char* utf8_title) {
  if (utf8_title != nullptr) web_set_title(utf8_title);
}

// Standard output goes to the browser console, a line at a time.
void print_console(const char* utf8_text, bool flush) {
  std::fputs(utf8_text, stdout);
  if (flush) std::fflush(stdout);
}

// The page's working folder, in memory, holds every file and always takes the maze file: its
// folder functions are platform/no_folders.cpp.

// clang-format off
// Game controllers: the Gamepad API's pads in the standard mapping, then the page's own virtual
// pads, written as kPadNumbers numbers each into `out` (at most `max` pads); returns the count.
//
// Virtual pads are the page's way to press the game's keys with controls of its own (the touch
// buttons): it pushes pad objects into the array Module.vornaPads, creating it if it is not there
// yet: (Module.vornaPads = Module.vornaPads || []).push(pad). Each object is one pad in the
// standard layout, read on every game tick:
//   buttons    indexed as the standard mapping: 0 A (marks the wall ahead), 3 Y (view from
//              above), 8 Back (quit), 9 Start (start, and again after a game over), 12 up,
//              13 down, 14 left, 15 right. Each entry {pressed: bool} like a GamepadButton, or
//              a bool; missing entries are up. A direction held steps or turns again every tick;
//              a button acts once on its way down.
//              An entry with `tapped: true` reads as down once even if let go before the tick:
//              set it with `pressed` when a touch begins, and a tap shorter than a tick still
//              counts; the game sets it back to false as it reads it.
//   axes       optional [x, y]: the left stick, -1..1 each, y negative = up; past half its travel
//              it acts as the direction.
//   connected  optional; false leaves the pad out, as if unplugged.
// The same object is the same pad for as long as it stays in the array; taken out, it is
// unplugged. While a real pad is connected, the page's root element carries the attribute
// data-gamepad, so the page can hide its touch controls; virtual pads do not set it.
EM_JS(int, web_read_gamepads, (float* out, int max), {
  var pads = [];
  var real = navigator.getGamepads ? navigator.getGamepads() : [];
  for (var i = 0; real && i < real.length; ++i) {
    var p = real[i];
    if (p && p.connected && p.mapping === 'standard') pads.push({id: p.index, pad: p});
  }
  var root = document.documentElement;
  if ((pads.length > 0) !== root.hasAttribute('data-gamepad')) {
    if (pads.length) root.setAttribute('data-gamepad', 'connected'); else root.removeAttribute('data-gamepad');
  }
  var ids = Module.vornaPadIds = Module.vornaPadIds || {map: new WeakMap(), next: 1000};
  (Module.vornaPads || []).forEach(function(v) {
    if (!v || typeof v !== 'object' || v.connected === false) return;
    if (!ids.map.has(v)) ids.map.set(v, ids.next++);
    pads.push({id: ids.map.get(v), pad: v});
  });
  var n = Math.min(pads.length, max), at = out >> 2;
  for (var k = 0; k < n; ++k) {
    var pad = pads[k].pad, buttons = pad.buttons || [], axes = pad.axes || [];
    HEAPF32[at++] = pads[k].id;
    [12, 13, 14, 15, 0, 3, 9, 8].forEach(function(i) {
      var b = buttons[i], down = !!b && (typeof b === 'object' ? !!(b.pressed || b.tapped) : !!b);
      if (b && b.tapped) b.tapped = false;
      HEAPF32[at++] = down ? 1 : 0;
    });
    HEAPF32[at++] = +axes[0] || 0;
    HEAPF32[at++] = +axes[1] || 0;
  }
  return n;
});
// clang-format on

const std::vector<Gamepad_state>& connected_gamepads() {
  constexpr int kPadNumbers = 11, kMaxPads = 8;  // id, 8 controls, the stick's x and y
  static std::vector<Gamepad_state> pads;
  float raw[kPadNumbers * kMaxPads];
  const int n = web_read_gamepads(raw, kMaxPads);
  pads.clear();
  for (int i = 0; i < n; ++i) {
    const float* r = raw + i * kPadNumbers;
    pads.push_back({static_cast<int>(r[0]), r[1] != 0, r[2] != 0, r[3] != 0, r[4] != 0, r[5] != 0,
                    r[6] != 0, r[7] != 0, r[8] != 0, r[9], r[10]});
  }
  return pads;
}

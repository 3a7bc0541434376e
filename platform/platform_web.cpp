#include <GL/freeglut.h>
#include <emscripten.h>

#include <cstdio>

#include "platform/platform.h"

// The browser page: one canvas, the data preloaded into the in-memory file system's working
// folder, where vorna.txt is written and read back too.

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

EM_JS(void, web_set_title, (const char* title), {
  document.title = UTF8ToString(title);
});
// clang-format on

// Ends the runtime although the game's timer is still pending.
extern "C" EMSCRIPTEN_KEEPALIVE void vorna_web_end(int status) {
  emscripten_force_exit(status);
}

// The page shows the frame as the display callback returns, so the GL layer's last batch must be
// drawn by then, as a desktop driver does at the swap. Emscripten's own swap does nothing.
extern "C" void glutSwapBuffers() {
  glFlush();
}

// A page without WebGL never gets this far: the page itself says so.
bool window_system_ready(int, char**) {
  return true;
}

void release_display_probe() {}

// A page is stopped by its browser: nothing to catch.
void catch_stop_requests() {}

bool stop_requested() {
  return false;
}

// Emscripten's GLUT has no options to set; what the desktop's window close does, q does here.
void set_toolkit_options() {
  web_end_on_exit();
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
    if (pads.length) root.setAttribute('data-gamepad', ''); else root.removeAttribute('data-gamepad');
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

#include <GL/freeglut.h>
#include <emscripten.h>

#include <cstdio>

#include "app/platform.h"

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

std::string executable_dir() {
  return "";
}

std::string user_state_dir() {
  return "";
}

// The page's working folder, in memory, always takes the maze file: no fallback is needed.
std::string make_private_temp_dir() {
  return "";
}

// No window system: a program drawing into a GL context it made itself (glfixed's scene
// program). The pointer does not exist, titles go nowhere, files stay in the working directory.
#include <cstdio>

#include "platform/platform.h"

void set_toolkit_options() {}
void move_pointer(int, int) {}
void set_window_title(const char*) {}

// No controllers either.
const std::vector<Gamepad_state>& connected_gamepads() {
  static const std::vector<Gamepad_state> none;
  return none;
}

void print_console(const char* utf8_text, bool flush) {
  std::fputs(utf8_text, stdout);
  if (flush) std::fflush(stdout);
}

// Its folder functions are platform/no_folders.cpp.

// The platform calls of the game's code, for a scene program that has no window system: the
// pointer does not exist, titles go nowhere, files stay in the working directory.
#include <cstdio>
#include <string>

#include "platform/platform.h"

void move_pointer(int, int) {}
void set_window_title(const char*) {}

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

std::string make_private_temp_dir() {
  return "";
}

// The system's OpenGL, as the game has it: a freeglut window under X (Mesa's llvmpipe here).
#include "glfixed/scene_context.h"
#include "support/gl_window.h"

namespace scenes {

const char* context_name() {
  return "system";
}

void open_context(int width, int height) {
  gltest::open_window(width, height);
}

bool drop_context() {
  return true;
}

bool new_context() {
  return true;
}

bool draw_counts(unsigned long*, unsigned long*) {
  return false;
}

void reset_draw_counts() {}

}  // namespace scenes

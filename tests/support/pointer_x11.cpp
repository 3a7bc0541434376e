#include <GL/glx.h>

#include "support/gl_window.h"

namespace gltest {

bool pointer_in_current_window(int* x, int* y) {
  Display* display = glXGetCurrentDisplay();
  const Window window = static_cast<Window>(glXGetCurrentDrawable());
  if (display == nullptr || window == 0) return false;
  Window root = 0;
  Window child = 0;
  int root_x = 0;
  int root_y = 0;
  unsigned int buttons = 0;
  // A round trip on the toolkit's own connection: any warp it sent is already applied.
  return XQueryPointer(display, window, &root, &child, &root_x, &root_y, x, y, &buttons) != 0;
}

}  // namespace gltest

#include <windows.h>

#include "support/gl_window.h"

namespace gltest {

bool pointer_in_current_window(int* x, int* y) {
  const HDC dc = wglGetCurrentDC();
  const HWND window = dc != nullptr ? WindowFromDC(dc) : nullptr;
  POINT point{};
  if (window == nullptr || !GetCursorPos(&point) || !ScreenToClient(window, &point)) return false;
  *x = point.x;
  *y = point.y;
  return true;
}

}  // namespace gltest

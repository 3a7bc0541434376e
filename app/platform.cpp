#include "app/platform.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstring>

namespace {
Display* g_probe = nullptr;
}

// The probe connection stays open until the toolkit has its own: an X server whose last
// client leaves resets itself and refuses connections for that moment.
bool x_display_available(const char* display_name) {
  if (g_probe == nullptr) g_probe = XOpenDisplay(display_name);
  return g_probe != nullptr;
}

void release_display_probe() {
  if (g_probe != nullptr) XCloseDisplay(g_probe);
  g_probe = nullptr;
}

const char* display_argument(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-display") == 0) return argv[i + 1];
  return nullptr;
}

void move_pointer(int x, int y) {
  glutWarpPointer(x, y);
}

void set_window_title_utf8(const char* utf8_title) {
  Display* display = glXGetCurrentDisplay();
  const Window window = static_cast<Window>(glXGetCurrentDrawable());
  if (display == nullptr || window == 0 || utf8_title == nullptr) return;
  const Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom net_wm_icon_name = XInternAtom(display, "_NET_WM_ICON_NAME", False);
  const Atom utf8_string = XInternAtom(display, "UTF8_STRING", False);
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8_title);
  const int length = static_cast<int>(std::strlen(utf8_title));
  XChangeProperty(display, window, net_wm_name, utf8_string, 8, PropModeReplace, bytes, length);
  XChangeProperty(display, window, net_wm_icon_name, utf8_string, 8, PropModeReplace, bytes,
                  length);
  XFlush(display);
}

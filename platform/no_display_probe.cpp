// The window-system check of a platform that always has somewhere to draw: Windows always has a
// desktop, a page without WebGL never gets as far as the game (the page itself says so), and a
// headless program makes its own GL context.
#include "platform/platform.h"

bool window_system_ready(int, char**) {
  return true;
}

void release_display_probe() {}

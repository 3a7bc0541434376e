// Stop requests on a platform without signals to catch: on Windows a stop comes to the window as
// its close message, which the toolkit ends in exit(); a page is stopped by its browser; a
// headless program only by itself.
#include "platform/platform.h"

void catch_stop_requests() {}

bool stop_requested() {
  return false;
}

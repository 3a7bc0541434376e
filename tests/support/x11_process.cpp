#include "support/x11_process.h"

#include <X11/Xlib.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

namespace e2e {

void pause_ms(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string quote(const std::string& word) {
  std::string q = "'";
  for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

void close_window(unsigned long window) {
  Display* display = window != 0 ? XOpenDisplay(nullptr) : nullptr;
  if (display == nullptr) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XCloseDisplay(display);  // flushes the event
}

bool reap_child(int pid, double seconds, int* status) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    int how = 0;
    if (waitpid(pid, &how, WNOHANG) == pid) {
      *status = WIFEXITED(how) ? WEXITSTATUS(how) : -2;
      return true;
    }
    if (std::chrono::steady_clock::now() > deadline) return false;
    pause_ms(20);
  }
}

}  // namespace e2e

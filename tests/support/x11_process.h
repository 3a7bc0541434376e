#pragma once

#include <string>

// Driving a child process that shows an X window: what the Linux end-to-end tests
// (game_process.h) and the wine driver of vorna.exe (tests/windows/wine_e2e.cpp) share.
namespace e2e {

void pause_ms(int ms);

// `word` quoted for sh.
std::string quote(const std::string& word);

// Asks `window` to close as a desktop's close button does: WM_DELETE_WINDOW.
void close_window(unsigned long window);

// Waits up to `seconds` for the child `pid` to end: true once it has, its exit status in
// *status (-2 when a signal ended it); false while it still runs.
bool reap_child(int pid, double seconds, int* status);

}  // namespace e2e

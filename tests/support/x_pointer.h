#pragma once

// Where the X pointer is, relative to the window of the current GL context (kept apart from
// the tests so Xlib's macros never meet GoogleTest's names).
namespace gltest {

// False when there is no current window or the pointer is on another screen.
bool pointer_in_current_window(int* x, int* y);

}  // namespace gltest

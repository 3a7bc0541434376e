#pragma once

#include <array>
#include <cstdint>
#include <vector>

// One real freeglut window (Mesa under Xvfb) per test program, made current and mapped.
namespace gltest {

// Opens the window on first use, later only resizes it; sets the viewport to the whole window.
// Fails the running test unless the drawing then covers exactly width x height pixels.
void open_window(int width = 500, int height = 500);

// open_window, then the GL state the game's start-up sets (set_start_up_gl_state).
void open_game_window(int width = 500, int height = 500);

// Where the pointer is relative to the current GL window; false when it cannot tell.
bool pointer_in_current_window(int* x, int* y);

using Rgb = std::array<std::uint8_t, 3>;

// Pixels, rows top first (window coordinates: origin top-left, y down).
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3

  Rgb at(int x, int y) const;
  // Number of pixels in [x0, x1) x [y0, y1) for which pred is true.
  template <typename Pred>
  int count(int x0, int y0, int x1, int y1, Pred pred) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (pred(at(x, y))) ++n;
    return n;
  }
};

// Pixels that differ between two frames, every second one of every second row: a step of the
// player changes far more of them than the spinning items do.
int differing(const Frame& a, const Frame& b);

// The back buffer over the current viewport.
Frame read_back_buffer();

inline bool is_white(const Rgb& c) {
  return c[0] > 240 && c[1] > 240 && c[2] > 240;
}
inline bool is_dark(const Rgb& c) {
  return c[0] < 60 && c[1] < 60 && c[2] < 60;
}

}  // namespace gltest

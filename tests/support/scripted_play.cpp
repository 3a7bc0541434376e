#include "support/scripted_play.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace e2e {

using gltest::Frame;
using gltest::Rgb;

bool is_green(const Rgb& c) {
  return c[1] > c[0] + 60 && c[1] > c[2] + 60;
}

bool is_wall_shade(const Rgb& c) {
  return c[0] < 80 && c[0] == c[1] && c[2] < 110;
}

bool in_3d_view(const Frame& f) {
  return f.count(0, 250, 500, 480, gltest::is_white) == 0;
}

int differing(const Frame& a, const Frame& b) {
  const int width = std::min(a.width, b.width), height = std::min({a.height, b.height, 480});
  int n = 0;
  for (int y = 0; y < height; y += 2)
    for (int x = 0; x < width; x += 2) n += a.at(x, y) != b.at(x, y);
  return n;
}

ScriptedPlay::ScriptedPlay(Game& game, double seconds, int poll_ms)
    : game_(game), seconds_(seconds), poll_ms_(poll_ms) {}

bool ScriptedPlay::wait_for(const std::function<bool(const Frame&)>& pred, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration<double>(seconds > 0.0 ? seconds : seconds_);
  while (std::chrono::steady_clock::now() < deadline) {
    const Frame f = game_.screenshot();
    if (f.width == 500 && f.height == 500 && pred(last_ = f)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(poll_ms_));
  }
  return false;
}

bool ScriptedPlay::title() {
  return wait_for(
      [](const Frame& f) { return f.count(0, 0, 500, 500, gltest::is_white) > 125000; });
}

bool ScriptedPlay::start_stage() {
  game_.key("s");
  return wait_for(in_3d_view);
}

bool ScriptedPlay::step_in() {
  const Frame start = last_;
  const int idle = differing(start, game_.screenshot());
  game_.key("Up");
  return wait_for([&](const Frame& f) { return differing(start, f) > 10000 + 4 * idle; });
}

bool ScriptedPlay::face_wall() {
  game_.key("Left");
  return wait_for(
      [](const Frame& f) { return f.count(200, 200, 300, 300, is_wall_shade) == 10000; });
}

bool ScriptedPlay::mark_wall() {
  game_.click(250, 250);
  return wait_for([](const Frame& f) { return f.count(200, 200, 300, 300, is_green) > 1000; });
}

}  // namespace e2e

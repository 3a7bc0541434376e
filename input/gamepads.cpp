#include "input/gamepads.h"

#include <GL/freeglut.h>

#include <cmath>

namespace input {
namespace {

enum Control : unsigned { up, down, left, right, a, y, start, back };

constexpr unsigned bit(Control c) {
  return 1u << c;
}

// The one mapping: each control and what it acts as, in the order a pad's presses are sent.
// Directions repeat every tick while held; buttons press once on their way down. Start is 's'
// for the title and 'r' after a game over: each screen ignores the other's key, and the screen
// 's' opens has full life, so the 'r' behind it never restarts a game just begun.
struct Binding {
  Control control;
  bool repeats;
  Press press;
};
constexpr Binding kMapping[] = {
    {up, true, {Press::special, GLUT_KEY_UP}},
    {down, true, {Press::special, GLUT_KEY_DOWN}},
    {left, true, {Press::special, GLUT_KEY_LEFT}},
    {right, true, {Press::special, GLUT_KEY_RIGHT}},
    {a, false, {Press::click, 0}},
    {y, false, {Press::key, 'b'}},
    {start, false, {Press::key, 's'}},
    {start, false, {Press::key, 'r'}},
    {back, false, {Press::key, 'q'}},
};

constexpr float kStickPushed = 0.5f;  // half the stick's travel

// The one direction a pad holds: the D-pad's, else the stick's. Two at once (a diagonal, or
// two arrows of the D-pad) give the dominant axis; on a tie the direction held before stays,
// else the step wins over the turn.
unsigned direction(const Gamepad_state& p, unsigned held_before) {
  float x = static_cast<float>(p.right - p.left);
  float y = static_cast<float>(p.down - p.up);
  if (x == 0.0f && y == 0.0f) {
    x = std::fabs(p.stick_x) > kStickPushed ? p.stick_x : 0.0f;
    y = std::fabs(p.stick_y) > kStickPushed ? p.stick_y : 0.0f;
  }
  const unsigned horizontal = x > 0.0f ? bit(right) : x < 0.0f ? bit(left) : 0u;
  const unsigned vertical = y > 0.0f ? bit(down) : y < 0.0f ? bit(up) : 0u;
  if (std::fabs(x) != std::fabs(y)) return std::fabs(x) > std::fabs(y) ? horizontal : vertical;
  return (held_before & horizontal) != 0 ? horizontal : vertical;
}

unsigned controls(const Gamepad_state& p, unsigned held_before) {
  return direction(p, held_before) | (p.a ? bit(a) : 0u) | (p.y ? bit(y) : 0u) |
         (p.start ? bit(start) : 0u) | (p.back ? bit(back) : 0u);
}

}  // namespace

const std::vector<Press>& Gamepads::presses(const std::vector<Gamepad_state>& pads) {
  presses_.clear();
  next_.clear();
  for (const Gamepad_state& pad : pads) {
    unsigned before = 0;
    for (const Seen& s : seen_)
      if (s.id == pad.id) before = s.held;
    const unsigned now = controls(pad, before);
    for (const Binding& b : kMapping) {
      const unsigned m = bit(b.control);
      if ((now & m) != 0 && (b.repeats || (before & m) == 0)) presses_.push_back(b.press);
    }
    next_.push_back({pad.id, now});
  }
  seen_.swap(next_);
  return presses_;
}

void Gamepads::tick(const Handlers& to, int x, int y) {
  send(presses(connected_gamepads()), to, x, y);
}

void send(const std::vector<Press>& presses, const Handlers& to, int x, int y) {
  for (const Press& p : presses) {
    switch (p.kind) {
      case Press::key:
        to.keyboard(static_cast<unsigned char>(p.code), x, y);
        break;
      case Press::special:
        to.special(p.code, x, y);
        break;
      case Press::click:
        to.mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
        to.mouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
        break;
    }
  }
}

}  // namespace input

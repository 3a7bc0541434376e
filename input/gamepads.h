#pragma once

#include <vector>

#include "app/platform.h"

// Gamepads as another way to press the game's keys: each tick the pads' states become the
// presses of keys, special keys and the left button that the toolkit's callbacks deliver, so the
// game never learns where a press came from.
namespace input {

// One press, as the toolkit would report it.
struct Press {
  enum Kind { key, special, click };
  Kind kind;
  int code;  // the character or the GLUT special-key code; 0 for a click
  bool operator==(const Press& o) const { return kind == o.kind && code == o.code; }
};

// The toolkit callbacks that presses go through.
struct Handlers {
  void (*keyboard)(unsigned char key, int x, int y);
  void (*special)(int key, int x, int y);
  void (*mouse)(int button, int state, int x, int y);
};

class Gamepads {
 public:
  // The presses that this tick's states make, pad by pad in the order given. A direction (the
  // D-pad, else the left stick past half its travel) is sent every tick while it is held, as a
  // held key repeats; a button is one press on its way down. A pad not seen before starts with
  // everything up; a pad no longer listed is forgotten.
  const std::vector<Press>& presses(const std::vector<Gamepad_state>& pads);

  // One game tick: reads the connected pads and sends their presses to `to`, each at (x, y)
  // (the window's centre); a click is the left button down, then up.
  void tick(const Handlers& to, int x, int y);

 private:
  struct Seen {
    int id;
    unsigned held;  // the controls down at the last read, one bit each
  };
  std::vector<Seen> seen_, next_;
  std::vector<Press> presses_;
};

// Sends presses to the handlers, each at (x, y).
void send(const std::vector<Press>& presses, const Handlers& to, int x, int y);

}  // namespace input

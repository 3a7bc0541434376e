#pragma once

#include <functional>

#include "support/game_process.h"

// The opening of a scripted play of the real binary, shared by the end-to-end test and the
// valgrind run: the title page, 's' to the first stage, Up into room (1, 1), Left to face its
// north wall, a click that marks it. Each step waits for what it shows by screenshots.
namespace e2e {

bool is_green(const gltest::Rgb& c);       // a wall mark
bool is_wall_shade(const gltest::Rgb& c);  // a wall a few units ahead: grey in the blue fog
bool in_3d_view(const gltest::Frame& f);   // the lower half all walls and floor, no background
// Pixels that differ, every second one each way, above the life bar.
int differing(const gltest::Frame& a, const gltest::Frame& b);

class ScriptedPlay {
 public:
  // Each step waits at most `seconds`, looking every `poll_ms` (valgrind's frames are slow).
  ScriptedPlay(Game& game, double seconds, int poll_ms);

  // Screenshots until `pred` holds for a whole 500 x 500 frame, kept as last(); false when it
  // never did within `seconds` (0: the play's own).
  bool wait_for(const std::function<bool(const gltest::Frame&)>& pred, double seconds = 0.0);
  const gltest::Frame& last() const { return last_; }

  bool title();        // the white title page
  bool start_stage();  // 's': the first stage in first person
  bool step_in();      // Up: the picture changes by far more than the spinning items make it
  bool face_wall();    // Left: the wall 2.5 ahead fills the centre
  bool mark_wall();    // a click on it: the centre turns green

 private:
  Game& game_;
  double seconds_;
  int poll_ms_;
  gltest::Frame last_;
};

}  // namespace e2e

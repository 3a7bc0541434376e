#pragma once

#include "app/state.h"
#include "gfx/vectord.h"
#include "maze/maze_gen.h"
#include "maze/vorna_field.h"

// The maze screen: first-person walk, items, marks, overhead view, game over and restart.
class Play_State : public State {
 public:
  Play_State();
  void statetransfer_init(Gamesystem* sys) override;
  void mouse(int button, int state, int x, int y, Gamesystem* sys) override;
  void mouse_move(int _x, int _y, Gamesystem* sys) override;
  void keyboard(unsigned char key, int x, int y, Gamesystem* sys) override;
  void sp_keyboard(int key, int x, int y) override;
  void timer(int value, Gamesystem* sys) override;
  void display(Gamesystem* sys) override;

  // One cell step per heading; adding 1 to the heading turns right.
  static constexpr const VECTORD (&dir)[4] = CELL_STEP;
  // The generator's grid takes at most this size; later stages stay at it.
  static constexpr int MAX_VORNASIZE = MAZE_MAX_SIZE;

  int cur_key;            // special key of the step or turn being animated
  int next_key;           // one key queued during an animation, 0 = none
  int anim_count;         // ticks left in the animation, 0 = idle
  bool overview;          // overhead view on
  double overview_angle;  // yaw of the overhead view, degrees
  Vorna_Field field;
  int hp;             // life points
  double view_angle;  // yaw of the first-person view, quarter turns
  int direction;      // heading, index into dir

  // Life has run out: the game-over page shows and only the restart keys act.
  bool is_dead() const;

  // A living player's frame around the field, which display draws in between: buffers
  // cleared, light and view set; then the field's objects and the life bar.
  void begin_frame();
  void finish_frame(Gamesystem* sys);

 private:
  void stage_init(int);
  void step(bool ahead);
  void note_life();

  bool death_sounded = false;  // "die.wav" played for this game's death
};

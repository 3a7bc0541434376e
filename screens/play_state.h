#pragma once

#include "app/state.h"
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

  int cur_key;
  int next_key;
  int anim_count;
  bool overview;
  double overview_angle;
  Vorna_Field field;
  int hp;
  double view_angle;
  int direction;

 private:
  void stage_init(int);
};

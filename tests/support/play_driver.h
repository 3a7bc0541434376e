#pragma once

#include <GL/freeglut.h>

#include "app/gamesystem.h"
#include "app/state.h"
#include "objects/field_object.h"
#include "screens/play_state.h"
#include "support/gl_window.h"
#include "support/maze_walk.h"

// In-process driver for the play state: the real state table and field, ticks called by hand.
namespace playtest {

// The play state registered under PLAY, with a real window current and the game's GL state.
inline Play_State* play() {
  static Play_State* ps = [] {
    gltest::open_game_window(500, 500);
    if (State::State_list.empty()) Create_StateInstance();
    auto* p = static_cast<Play_State*>(State::State_list[PLAY]);
    sys.current_state = p;
    p->resize(500, 500, &sys);
    return p;
  }();
  return ps;
}

inline void tick(Play_State* ps, int n = 1) {
  for (int i = 0; i < n; ++i) ps->timer(0, &sys);
}

inline int maze_size(const Play_State* ps) {
  return static_cast<int>(ps->field.grid.size());
}

// A new stage without its items, so life points change only by the rules under test.
inline Play_State* fresh_stage() {
  Play_State* ps = play();
  ps->statetransfer_init(&sys);
  for (field_object* o : ps->field.item_list) delete o;
  ps->field.item_list.clear();
  return ps;
}

// Puts the idle player on a cell with a heading, the view settled.
inline void place(Play_State* ps, VECTORD pos, int heading) {
  ps->field.player_pos = pos;
  ps->view_angle = ps->direction = heading;
  ps->anim_count = ps->next_key = ps->cur_key = 0;
}

// The arrow key that turns the idle player towards `heading`, or steps on when facing it.
inline int key_towards(const Play_State* ps, int heading) {
  const int turn = (heading - ps->direction + 4) % 4;
  return turn == 0 ? GLUT_KEY_UP : turn == 3 ? GLUT_KEY_LEFT : GLUT_KEY_RIGHT;
}

}  // namespace playtest

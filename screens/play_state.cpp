#include "screens/play_state.h"

// PLACEHOLDER: replaced by the play state implementation.
Play_State::Play_State()
    : cur_key(0),
      next_key(0),
      anim_count(0),
      overview(false),
      overview_angle(0.0),
      hp(0),
      view_angle(0.0),
      direction(1) {}
void Play_State::statetransfer_init(Gamesystem*) {}
void Play_State::mouse(int, int, int, int, Gamesystem*) {}
void Play_State::mouse_move(int, int, Gamesystem*) {}
void Play_State::keyboard(unsigned char, int, int, Gamesystem*) {}
void Play_State::sp_keyboard(int, int, int) {}
void Play_State::timer(int, Gamesystem*) {}
void Play_State::display(Gamesystem*) {}
void Play_State::stage_init(int) {}

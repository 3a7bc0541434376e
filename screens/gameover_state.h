#pragma once

#include "app/state.h"

// Registered in the state table but never entered: the play state draws the game-over page.
class Gameover_State : public State {
 public:
  Gameover_State();
};

// One frame of the game-over page, buffer clear included.
void draw_gameover(Gamesystem* sys);

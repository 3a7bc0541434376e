#pragma once

#include "app/state.h"

// Title screen: the story crawl coming to rest on the title and the key hints.
class Menu_State : public State {
 public:
  Menu_State();
  void keyboard(unsigned char key, int x, int y, Gamesystem* sys) override;
  void display(Gamesystem* sys) override;

  int scroll;  // crawl offset in pixels, 0..1400
};

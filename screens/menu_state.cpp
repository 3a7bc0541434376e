#include "screens/menu_state.h"

#include <GL/gl.h>

#include <cstdlib>

#include "app/gamesystem.h"

Menu_State::Menu_State() : scroll(0) {}

void Menu_State::keyboard(unsigned char key, int, int, Gamesystem* sys) {
  switch (key) {
    case 27:
    case 'Q':
    case 'q':
      std::exit(0);
    case 'S':
    case 's': {
      State* next = State_list[PLAY];
      sys->current_state = next;
      next->statetransfer_init(sys);
      break;
    }
    default:
      break;
  }
}

// PLACEHOLDER: the title crawl comes with the text renderer.
void Menu_State::display(Gamesystem*) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Gameover_State::Gameover_State() = default;

void draw_gameover(Gamesystem*) {}

#include "screens/menu_state.h"

#include <GL/gl.h>

#include <cstdlib>

#include "app/gamesystem.h"
#include "screens/texts.h"

Menu_State::Menu_State() : scroll(0) {}

void Menu_State::keyboard(unsigned char key, int, int, Gamesystem* sys) {
  switch (key) {
    case 27:
    case 'Q':
    case 'q':
      std::exit(0);
    case 'S':
    case 's':
      make_current(State_list[PLAY], sys);
      break;
    default:
      break;
  }
}

// Lighting stays on with light 0 off: the text takes the bare ambient term, near black.
void Menu_State::display(Gamesystem* sys) {
  const int w = sys->width;
  const int h = sys->height;
  if (scroll < 1400) scroll += 5;

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHT0);

  const int top = h / 20 + h / 10 - scroll;
  for (int i = 0; i < texts::story_lines; ++i)
    sys->kanji.print(w / 20, top + 500 + 100 * i, texts::story[i]);
  sys->kanji.print(static_cast<int>(w * 0.2857142857142857), top + 1400, texts::title);
  sys->kanji.print(w / 3, top + 1450, texts::subtitle);
  sys->kanji.print(static_cast<int>(w * 0.3846153846153846), top + 1600, texts::start_hint);
  sys->kanji.print(static_cast<int>(w * 0.4), top + 1650, texts::quit_hint);

  glEnable(GL_LIGHT0);
}

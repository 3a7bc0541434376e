#include "screens/gameover_state.h"

#include <GL/gl.h>

#include "app/gamesystem.h"
#include "screens/texts.h"

Gameover_State::Gameover_State() = default;

void draw_gameover(Gamesystem* sys) {
  const int w = sys->width;
  const int h = sys->height;

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHT0);
  // The text takes the bare ambient term. The maze left a coloured ambient material behind
  // (red or green): the page uses the default one, and gives the maze's back afterwards.
  static const GLfloat default_ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  glPushAttrib(GL_LIGHTING_BIT);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, default_ambient);

  sys->kanji.print(w / 4, h / 3, texts::gameover_line);
  sys->kanji.print(static_cast<int>(w * 0.37037037037037035), h / 2, texts::gameover);
  sys->kanji.print(static_cast<int>(w * 0.37037037037037035),
                   static_cast<int>(h * 0.6666666666666666), texts::restart_hint);

  glPopAttrib();
  glEnable(GL_LIGHT0);
}

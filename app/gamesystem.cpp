#include "app/gamesystem.h"

#include <GL/gl.h>

#include "app/state.h"
#include "platform/data_file_list.h"
#include "platform/data_files.h"
#include "platform/platform.h"

Vorna_Gamesystem sys;

void set_start_up_gl_state() {
  glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnableClientState(GL_VERTEX_ARRAY);
}

Gamesystem::Gamesystem() : current_state(nullptr), width(0), height(0), kanji(0) {}

void Vorna_Gamesystem::init() {
  // The console gets readable text, not the on-screen Shift-JIS.
  print_console("NOW LOADING\u2026\n", true);

  set_start_up_gl_state();

  bgm.Init(2, data_file(data_files::kMusic).c_str());
  bgm.Play();
  kanji.load(data_file(data_files::kFont).c_str());

  current_state = Create_StateInstance();
}

void Vorna_Gamesystem::end() {
  bgm.Term();
}

void Vorna_Gamesystem::timer(int value) {
  current_state->timer(value, this);
}

void Vorna_Gamesystem::display() {
  current_state->display(this);
}

void Vorna_Gamesystem::resize(int w, int h) {
  width = w;
  height = h;
  current_state->resize(w, h, this);
}

void Vorna_Gamesystem::keyboard(unsigned char key, int x, int y) {
  current_state->keyboard(key, x, y, this);
}

void Vorna_Gamesystem::sp_keyboard(int key, int x, int y) {
  current_state->sp_keyboard(key, x, y);
}

void Vorna_Gamesystem::mouse(int button, int state, int x, int y) {
  current_state->mouse(button, state, x, y, this);
}

void Vorna_Gamesystem::mouse_move(int _x, int _y) {
  current_state->mouse_move(_x, _y, this);
}

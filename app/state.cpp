#include "app/state.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/gamesystem.h"
#include "platform/platform.h"
#include "screens/gameover_state.h"
#include "screens/menu_state.h"
#include "screens/play_state.h"

std::map<state_enum, State*> State::State_list;
State* State::kept[GAMEOVER + 1] = {};

void State::statetransfer_init(Gamesystem*) {}
void State::mouse(int, int, int, int, Gamesystem*) {}
void State::mouse_move(int, int, Gamesystem*) {}
void State::keyboard(unsigned char, int, int, Gamesystem*) {}
void State::sp_keyboard(int, int, int) {}
void State::timer(int, Gamesystem*) {}
void State::display(Gamesystem*) {}

// Shared by every screen: the 3D projection over the whole window, pointer re-centred.
void State::resize(int w, int h, Gamesystem* sys) {
  sys->width = w;
  sys->height = h;
  glViewport(0, 0, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(60.0, static_cast<double>(w) / static_cast<double>(h), 1.0, 200.0);
  glMatrixMode(GL_MODELVIEW);
  move_pointer(w / 2, h / 2);
}

// A look-up, not an insert: an unknown key gives null without leaving a null entry behind.
State* State::state_transfer(state_enum nextstate) {
  const auto it = State_list.find(nextstate);
  return it == State_list.end() ? nullptr : it->second;
}

void make_current(State* next, Gamesystem* sys) {
  sys->current_state = next;
  next->statetransfer_init(sys);
}

namespace {

// Registers a new state under `key` unless a state is already there. A state is only created
// when it will be kept, and a null entry left by a look-up does not block registration.
template <typename T>
void register_state(state_enum key) {
  State*& slot = State::State_list[key];
  if (slot == nullptr) slot = State::kept[key] = new T();
}

}  // namespace

State* Create_StateInstance() {
  register_state<Menu_State>(MENU);
  register_state<Play_State>(PLAY);
  register_state<Gameover_State>(GAMEOVER);
  return State::State_list[MENU];
}

#pragma once

#include <map>

class Gamesystem;

enum state_enum { MENU = 0, PLAY = 1, GAMEOVER = 2 };

// One screen of the game. The application object forwards every window event to the current
// state. States live for the whole run and are never destroyed through this base.
class State {
 public:
  virtual void statetransfer_init(Gamesystem* sys);
  virtual void mouse(int button, int state, int x, int y, Gamesystem* sys);
  virtual void mouse_move(int _x, int _y, Gamesystem* sys);
  virtual void keyboard(unsigned char key, int x, int y, Gamesystem* sys);
  virtual void sp_keyboard(int key, int x, int y);
  virtual void timer(int value, Gamesystem* sys);
  virtual void resize(int w, int h, Gamesystem* sys);
  virtual void display(Gamesystem* sys);

  State* state_transfer(state_enum nextstate);

  static std::map<state_enum, State*> State_list;
  // The same states again, in storage that is never destroyed: the table's nodes are freed at
  // exit, but the states live to the very end and stay reachable.
  static State* kept[GAMEOVER + 1];

 protected:
  ~State() = default;
};

// A screen change: `next` becomes the current state and sets itself up.
void make_current(State* next, Gamesystem* sys);

// Creates the three screens once, registers them and returns the menu.
State* Create_StateInstance();

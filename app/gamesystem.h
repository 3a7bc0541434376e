#pragma once

#include "gfx/glkanji.h"
#include "sound/music.h"

class State;

// The application object: window size, text renderer and music shared by every screen.
class Gamesystem {
 public:
  Gamesystem();
  virtual void init() {}
  virtual void mouse(int, int, int, int) {}
  virtual void mouse_move(int, int) {}
  virtual void keyboard(unsigned char, int, int) {}
  virtual void sp_keyboard(int, int, int) {}
  virtual void timer(int) {}
  virtual void resize(int, int) {}
  virtual void display() {}
  virtual void end() {}

  State* current_state;
  int width;
  int height;
  kvo::glKanji kanji;
  music bgm;

 protected:
  ~Gamesystem() = default;
};

class Vorna_Gamesystem : public Gamesystem {
 public:
  void init() override;
  void mouse(int button, int state, int x, int y) override;
  void mouse_move(int _x, int _y) override;
  void keyboard(unsigned char key, int x, int y) override;
  void sp_keyboard(int key, int x, int y) override;
  void timer(int value) override;
  void resize(int w, int h) override;
  void display() override;
  void end() override;
};

extern Vorna_Gamesystem sys;

// The GL state every screen starts from: white clear colour, depth test, lighting with light 0
// and the vertex array. Set by init; tests and the benchmark set it on their own windows.
void set_start_up_gl_state();

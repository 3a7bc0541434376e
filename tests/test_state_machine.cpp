// The screen state machine: event routing, transfers and the resize every screen shares.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "app/gamesystem.h"
#include "app/state.h"
#include "screens/menu_state.h"
#include "screens/play_state.h"
#include "support/gl_window.h"

namespace {

// Logs its calls; on key 't' it makes `to` current, the way screens transfer.
struct Recorder : State {
  void keyboard(unsigned char key, int, int, Gamesystem* s) override {
    note("key", s);
    if (key == 't') s->current_state = to;
  }
  void mouse(int, int, int, int, Gamesystem* s) override { note("mouse", s); }
  void mouse_move(int, int, Gamesystem* s) override { note("move", s); }
  void sp_keyboard(int, int, int) override { note("special", &sys); }
  void timer(int, Gamesystem* s) override { note("timer", s); }
  void resize(int, int, Gamesystem* s) override { note("resize", s); }
  void display(Gamesystem* s) override { note("display", s); }
  void note(const std::string& call, Gamesystem* s) { log += call + (s == &sys ? " " : "? "); }
  State* to = nullptr;
  std::string log;
};

}  // namespace

TEST(StateMachine, AfterATransferTheNextEventOfAnyKindGoesToTheNewState) {
  gltest::open_window(500, 500);
  const std::pair<std::string, void (*)()> events[] = {
      {"timer", [] { sys.timer(0); }},
      {"display", [] { sys.display(); }},
      {"mouse", [] { sys.mouse(0, 1, 10, 20); }},
      {"move", [] { sys.mouse_move(3, 4); }},
      {"key", [] { sys.keyboard('x', 7, 8); }},
      {"special", [] { sys.sp_keyboard(GLUT_KEY_UP, 5, 6); }},
      {"resize", [] { sys.resize(320, 240); }},
  };
  for (const auto& [name, send] : events) {
    Recorder from, to;
    from.to = &to;
    sys.current_state = &from;
    sys.keyboard('t', 1, 1);
    send();
    EXPECT_EQ(to.log, name + " ");
    EXPECT_EQ(from.log, "key ");  // the state left behind hears nothing more
  }
}

TEST(StateMachine, MenuStartsPlayOnSAndKeepsItsScroll) {
  gltest::open_window(500, 500);
  auto* menu = dynamic_cast<Menu_State*>(Create_StateInstance());
  ASSERT_NE(menu, nullptr);
  State* play = State::State_list[PLAY];
  ASSERT_NE(dynamic_cast<Play_State*>(play), nullptr);
  EXPECT_EQ(Create_StateInstance(), menu);  // registered once
  EXPECT_EQ(State::State_list[PLAY], play);
  for (unsigned char key : {'S', 's'}) {
    sys.current_state = menu;
    menu->scroll = 35;
    sys.keyboard(key, 1, 1);
    EXPECT_EQ(sys.current_state, play);
    EXPECT_EQ(menu->scroll, 35);
  }
}

TEST(StateMachine, BaseResizeSetsViewportPerspectiveAndCentresThePointer) {
  gltest::open_window(500, 500);
  Create_StateInstance();
  for (State* screen : {State::State_list[MENU], State::State_list[GAMEOVER]}) {  // base resize
    for (const auto& [w, h] : {std::pair{333, 201}, {300, 400}}) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
      sys.current_state = screen;
      glMatrixMode(GL_TEXTURE);  // resize must leave the modelview current whatever it found
      sys.resize(w, h);
      EXPECT_EQ(std::pair(sys.width, sys.height), std::pair(w, h));
      GLint viewport[4], mode = 0;
      glGetIntegerv(GL_VIEWPORT, viewport);
      glGetIntegerv(GL_MATRIX_MODE, &mode);
      EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, w, h}));
      EXPECT_EQ(mode, GL_MODELVIEW);

      // gluPerspective(60, w / h, 1, 200) worked out by hand, the aspect not rounded.
      const double f = 1.0 / std::tan(M_PI / 6.0);
      const double expected[16] = {
          f * h / w, 0, 0, 0, 0, f, 0, 0, 0, 0, -201.0 / 199.0, -1, 0, 0, -400.0 / 199.0, 0};
      GLfloat projection[16];
      glGetFloatv(GL_PROJECTION_MATRIX, projection);
      for (int i = 0; i < 16; ++i) EXPECT_NEAR(projection[i], expected[i], 1e-5) << i;

      int x = -1, y = -1;
      ASSERT_TRUE(gltest::pointer_in_current_window(&x, &y));
      EXPECT_EQ(std::pair(x, y), std::pair(w / 2, h / 2));
    }
  }
  glViewport(0, 0, 500, 500);
}

// The screen state machine: event routing through the application object, transfers, the
// state table and the resize every screen shares. GL state is read back from a real context.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/gamesystem.h"
#include "app/state.h"
#include "screens/menu_state.h"
#include "screens/play_state.h"
#include "support/gl_window.h"
#include "support/x_pointer.h"

namespace {

// Records every call it gets; on key 't' it makes `transfer_to` current, the way screens do.
class Recorder : public State {
 public:
  void statetransfer_init(Gamesystem* s) override { note("statetransfer_init", s); }
  void mouse(int b, int st, int x, int y, Gamesystem* s) override {
    note("mouse " + nums({b, st, x, y}), s);
  }
  void mouse_move(int x, int y, Gamesystem* s) override { note("mouse_move " + nums({x, y}), s); }
  void keyboard(unsigned char key, int x, int y, Gamesystem* s) override {
    note("keyboard " + std::string(1, static_cast<char>(key)) + " " + nums({x, y}), s);
    if (key == 't' && transfer_to != nullptr) {
      s->current_state = transfer_to;
      transfer_to->statetransfer_init(s);
      calls.push_back("handler went on");
    }
  }
  void sp_keyboard(int key, int x, int y) override {
    note("sp_keyboard " + nums({key, x, y}), nullptr);
  }
  void timer(int value, Gamesystem* s) override { note("timer " + nums({value}), s); }
  void resize(int w, int h, Gamesystem* s) override { note("resize " + nums({w, h}), s); }
  void display(Gamesystem* s) override { note("display", s); }

  State* transfer_to = nullptr;
  std::vector<std::string> calls;
  std::vector<Gamesystem*> systems;

 private:
  static std::string nums(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += (s.empty() ? "" : ",") + std::to_string(v);
    return s;
  }
  void note(const std::string& call, Gamesystem* s) {
    calls.push_back(call);
    systems.push_back(s);
  }
};

// A screen with only the base behaviour, like every real screen's resize.
class Plain : public State {};

// Deletes the real screens in the table (test-owned states are not the table's to delete).
// Each is deleted through its own most-derived type, so the missing virtual destructor is fine.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
void clear_table() {
  for (auto& [key, state] : State::State_list) {
    if (auto* m = dynamic_cast<Menu_State*>(state))
      delete m;
    else if (auto* p = dynamic_cast<Play_State*>(state))
      delete p;
    else if (auto* g = dynamic_cast<Gameover_State*>(state))
      delete g;
  }
  State::State_list.clear();
}
#pragma GCC diagnostic pop

class StateMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    gltest::open_window(500, 500);
    clear_table();
  }
  void TearDown() override {
    sys.current_state = nullptr;
    clear_table();
    glViewport(0, 0, 500, 500);
  }
};

}  // namespace

TEST_F(StateMachine, AfterATransferInAKeyHandlerTheNextEventOfAnyKindGoesToTheNewState) {
  const std::vector<std::pair<std::string, std::function<void()>>> events = {
      {"timer 0", [] { sys.timer(0); }},
      {"display", [] { sys.display(); }},
      {"mouse 0,1,10,20", [] { sys.mouse(0, 1, 10, 20); }},
      {"mouse_move 3,4", [] { sys.mouse_move(3, 4); }},
      {"keyboard x 7,8", [] { sys.keyboard('x', 7, 8); }},
      {"sp_keyboard 101,5,6", [] { sys.sp_keyboard(GLUT_KEY_UP, 5, 6); }},
      {"resize 320,240", [] { sys.resize(320, 240); }},
  };
  for (const auto& [expected, send] : events) {
    SCOPED_TRACE(expected);
    Recorder from;
    Recorder to;
    from.transfer_to = &to;
    sys.current_state = &from;

    sys.keyboard('t', 1, 1);
    EXPECT_EQ(sys.current_state, &to);
    EXPECT_EQ(from.calls, (std::vector<std::string>{"keyboard t 1,1", "handler went on"}));
    EXPECT_EQ(to.calls, std::vector<std::string>{"statetransfer_init"});

    send();
    EXPECT_EQ(to.calls, (std::vector<std::string>{"statetransfer_init", expected}));
    EXPECT_EQ(from.calls.size(), 2u);  // the state left behind hears nothing more
    // Every operation but the special keys is handed the application object itself.
    const bool special = expected.rfind("sp_keyboard", 0) == 0;
    EXPECT_EQ(to.systems.back(), special ? nullptr : &sys);
  }
  // The application stores the size itself, whatever the screen's resize does.
  EXPECT_EQ(sys.width, 320);
  EXPECT_EQ(sys.height, 240);
}

TEST_F(StateMachine, MenuStartsPlayOnUpperAndLowerCaseSAndKeepsItsScroll) {
  State* menu_state = Create_StateInstance();
  auto* menu = dynamic_cast<Menu_State*>(menu_state);
  ASSERT_NE(menu, nullptr);
  State* play = State::State_list[PLAY];
  ASSERT_NE(dynamic_cast<Play_State*>(play), nullptr);

  sys.current_state = menu;
  sys.resize(500, 500);
  menu->scroll = 35;  // part-way through the crawl

  sys.keyboard('x', 1, 1);
  sys.sp_keyboard(GLUT_KEY_UP, 1, 1);
  EXPECT_EQ(sys.current_state, menu);

  sys.keyboard('S', 1, 1);
  EXPECT_EQ(sys.current_state, play);
  EXPECT_EQ(menu->scroll, 35);

  // Put the menu back by hand (the game never does): lower case starts the same play state.
  sys.current_state = menu;
  sys.keyboard('s', 1, 1);
  EXPECT_EQ(sys.current_state, play);
  EXPECT_EQ(State::State_list[PLAY], play);
  EXPECT_EQ(menu->scroll, 35);
}

TEST_F(StateMachine, CreateRegistersTheThreeScreensOnceAndReturnsTheMenu) {
  State* returned = Create_StateInstance();
  ASSERT_EQ(State::State_list.size(), 3u);
  State* menu = State::State_list[MENU];
  State* play = State::State_list[PLAY];
  State* gameover = State::State_list[GAMEOVER];
  EXPECT_EQ(returned, menu);
  ASSERT_NE(dynamic_cast<Menu_State*>(menu), nullptr);
  EXPECT_EQ(dynamic_cast<Menu_State*>(menu)->scroll, 0);
  EXPECT_NE(dynamic_cast<Play_State*>(play), nullptr);
  EXPECT_NE(dynamic_cast<Gameover_State*>(gameover), nullptr);
  EXPECT_EQ(menu->state_transfer(PLAY), play);
  EXPECT_EQ(play->state_transfer(GAMEOVER), gameover);

  // Registered entries stay as they are.
  EXPECT_EQ(Create_StateInstance(), menu);
  EXPECT_EQ(State::State_list[PLAY], play);
  EXPECT_EQ(State::State_list[GAMEOVER], gameover);
  EXPECT_EQ(State::State_list.size(), 3u);

  clear_table();
  Recorder mine;
  State::State_list[GAMEOVER] = &mine;
  Create_StateInstance();
  EXPECT_EQ(State::State_list[GAMEOVER], &mine);
  EXPECT_NE(dynamic_cast<Play_State*>(State::State_list[PLAY]), nullptr);
  State::State_list.erase(GAMEOVER);
}

TEST_F(StateMachine, LookingUpAnUnregisteredScreenGivesNullAndDoesNotBlockRegistration) {
  Plain plain;
  EXPECT_EQ(plain.state_transfer(PLAY), nullptr);
  EXPECT_TRUE(State::State_list.empty());

  // A null entry, as a raw table look-up leaves, is filled in by start-up.
  State::State_list[PLAY];
  Create_StateInstance();
  EXPECT_NE(dynamic_cast<Play_State*>(State::State_list[PLAY]), nullptr);
}

TEST_F(StateMachine, BaseResizeSetsViewportPerspectiveAndCentresThePointer) {
  Create_StateInstance();
  Plain plain;
  const std::vector<std::pair<std::string, State*>> screens = {
      {"plain", &plain},
      {"menu", State::State_list[MENU]},
      {"gameover", State::State_list[GAMEOVER]}};
  const int sizes[][2] = {{400, 300}, {300, 400}, {333, 201}, {500, 500}};
  const GLfloat modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 3, -4, 1};

  for (const auto& [name, screen] : screens) {
    for (const auto& size : sizes) {
      const int w = size[0];
      const int h = size[1];
      SCOPED_TRACE(name + " " + std::to_string(w) + "x" + std::to_string(h));
      sys.current_state = screen;
      sys.width = sys.height = 0;
      glMatrixMode(GL_MODELVIEW);
      glLoadMatrixf(modelview);
      glMatrixMode(GL_TEXTURE);  // resize must leave the modelview current whatever it found

      sys.resize(w, h);

      EXPECT_EQ(sys.width, w);
      EXPECT_EQ(sys.height, h);
      GLint viewport[4];
      glGetIntegerv(GL_VIEWPORT, viewport);
      EXPECT_EQ(viewport[0], 0);
      EXPECT_EQ(viewport[1], 0);
      EXPECT_EQ(viewport[2], w);
      EXPECT_EQ(viewport[3], h);
      GLint mode = 0;
      glGetIntegerv(GL_MATRIX_MODE, &mode);
      EXPECT_EQ(mode, GL_MODELVIEW);

      // gluPerspective(60, w / h, 1, 200) worked out by hand, aspect in double precision.
      const double aspect = static_cast<double>(w) / h;
      const double f = 1.0 / std::tan(30.0 * M_PI / 180.0);
      const double near_z = 1.0;
      const double far_z = 200.0;
      double expected[16] = {0};
      expected[0] = f / aspect;
      expected[5] = f;
      expected[10] = (far_z + near_z) / (near_z - far_z);
      expected[11] = -1.0;
      expected[14] = 2.0 * far_z * near_z / (near_z - far_z);
      GLfloat projection[16];
      glGetFloatv(GL_PROJECTION_MATRIX, projection);
      for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(projection[i], expected[i], 1e-5 * std::max(1.0, std::fabs(expected[i])))
            << "element " << i;
      GLfloat kept[16];
      glGetFloatv(GL_MODELVIEW_MATRIX, kept);
      EXPECT_TRUE(std::equal(kept, kept + 16, modelview));

      // The pointer sits at the integer centre of the window's client area.
      int win_x = -1;
      int win_y = -1;
      ASSERT_TRUE(gltest::pointer_in_current_window(&win_x, &win_y));
      EXPECT_EQ(win_x, w / 2);
      EXPECT_EQ(win_y, h / 2);
    }
  }
}

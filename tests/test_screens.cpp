// The title and game-over screens with the generated font, the life bar, and the texts' bytes.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <set>
#include <string>

#include "app/gamesystem.h"
#include "app/state.h"
#include "maze/vorna_field.h"
#include "objects/items.h"
#include "screens/gameover_state.h"
#include "screens/menu_state.h"
#include "screens/status.h"
#include "screens/texts.h"
#include "support/gl_window.h"

namespace {

// The GL state the game's start-up sets, on a 500 x 500 window.
void game_gl_state(Gamesystem& gs) {
  gltest::open_game_window(500, 500);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(60.0, 1.0, 1.0, 200.0);
  glMatrixMode(GL_MODELVIEW);
  gs.width = gs.height = 500;
}

struct Line {
  int x, y;
  const char* text;
  int width() const {  // 8 pixels per ASCII byte, 16 per two-byte character
    int w = 0;
    for (auto p = reinterpret_cast<const unsigned char*>(text); *p; p += *p < 0x80 ? 1 : 2)
      w += *p < 0x80 ? 8 : 16;
    return w;
  }
};

// Each line's box holds dark text, the lights are back on, and the frame is pixel for pixel
// those lines printed straight at those positions on white, lit as the screens must light
// them (light 0 off): nothing elsewhere, no rounded position, no other colour.
void expect_only(Gamesystem& gs, std::initializer_list<Line> lines) {
  const auto f = gltest::read_back_buffer();
  for (const Line& l : lines)
    EXPECT_GT(f.count(l.x, l.y, l.x + l.width(), l.y + 16, gltest::is_dark), 30) << l.x;
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_LIGHT0));
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHT0);
  for (const Line& l : lines) gs.kanji.print(l.x, l.y, l.text);
  glEnable(GL_LIGHT0);
  EXPECT_TRUE(f.rgb == gltest::read_back_buffer().rgb);
}

TEST(Texts, ExactShiftJisBytes) {
  EXPECT_STREQ(texts::title, "\x83\x55\x83\x8B\x83\x94\x83\x48\x83\x58\x82\x52\x44");
  EXPECT_STREQ(texts::subtitle, "\x81\x60\x83\x7E\x83\x8B\x83\x65\x83\x4A\x81\x60");
  EXPECT_STREQ(texts::gameover_line,
               "\x97\xCD\x90\x73\x82\xAB\x81\x43\x8E\x80\x82\xF1\x82\xC5\x82\xB5\x82\xDC\x82\xC1"
               "\x82\xBD...");
  // 乱暴: the trail byte of 暴 reads as a backslash and must survive the build.
  EXPECT_NE(std::strstr(texts::story[3], "\x97\x90\x96\x5C"), nullptr);
}

struct RecordingState : State {
  void statetransfer_init(Gamesystem*) override { ++transfers; }
  int transfers = 0;
};

TEST(Screens, TitleAtRestAndGameOverPage) {
  Vorna_Gamesystem gs;
  game_gl_state(gs);
  // Without the font both screens are plain white, and the keys still work.
  EXPECT_FALSE(gs.kanji.load("no-such-font.f1b"));
  Menu_State menu;
  menu.display(&gs);
  EXPECT_EQ(menu.scroll, 5);
  for (int i = 1; i < 290; ++i) menu.display(&gs);
  EXPECT_EQ(menu.scroll, 1400);
  expect_only(gs, {});
  draw_gameover(&gs);
  expect_only(gs, {});
  static RecordingState play;
  State::State_list[PLAY] = &play;
  gs.current_state = &menu;
  menu.keyboard('s', 0, 0, &gs);
  EXPECT_EQ(gs.current_state, &play);
  EXPECT_EQ(play.transfers, 1);
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // re-run fresh: this process holds X
  EXPECT_EXIT(menu.keyboard('q', 0, 0, &gs), ::testing::ExitedWithCode(0), "");

  ASSERT_TRUE(gs.kanji.load(VORNA_RUN_DIR "/shnm16.f1b"));
  menu.display(&gs);  // at rest
  expect_only(gs, {{142, 75, texts::title},
                   {166, 125, texts::subtitle},
                   {192, 275, texts::start_hint},
                   {200, 325, texts::quit_hint}});
  draw_gameover(&gs);  // over the title screen, which it must clear
  expect_only(gs, {{125, 166, texts::gameover_line},
                   {185, 250, texts::gameover},
                   {185, 333, texts::restart_hint}});
}

// The maze leaves its last ambient material behind: red after the life ball, green after the
// wall marks once the ball is gone. The game-over text stays near-black (0.04 of full) either way.
TEST(Screens, GameOverTextNearBlackAfterARedOrAGreenFrame) {
  Vorna_Gamesystem gs;
  game_gl_state(gs);
  ASSERT_TRUE(gs.kanji.load(VORNA_RUN_DIR "/shnm16.f1b"));
  auto text_pixels = [] {
    const auto f = gltest::read_back_buffer();
    std::set<gltest::Rgb> colours;
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < f.width; ++x)
        if (!gltest::is_white(f.at(x, y))) colours.insert(f.at(x, y));
    return colours;
  };
  for (const char* frame : {"life ball", "marks"}) {
    SCOPED_TRACE(frame);
    if (std::strcmp(frame, "life ball") == 0) {
      Item_Life(VECTORD{0.0, 0.0, -20.0}).draw();
    } else {
      std::vector<VECTORD> marks;
      draw_marking(marks);
    }
    draw_gameover(&gs);
    EXPECT_EQ(text_pixels(), (std::set<gltest::Rgb>{{10, 10, 10}}));
  }
}

TEST(LifeBar, FillsTheBottomRowsInProportion) {
  Vorna_Gamesystem gs;
  game_gl_state(gs);
  GLfloat before[16], after[16];
  glGetFloatv(GL_PROJECTION_MATRIX, before);
  auto red = [](const gltest::Rgb& c) { return c[0] > 240 && c[1] < 15 && c[2] < 15; };
  for (auto [hp, cols] : {std::pair{10000, 500}, {5000, 250}, {15000, 500}}) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_info(&gs, hp);
    const auto f = gltest::read_back_buffer();
    // Row 490 lies on the edge of the 10-pixel line, where rasterizers differ; skip it.
    EXPECT_EQ(f.count(0, 491, cols, 500, red), cols * 9) << hp;
    EXPECT_EQ(f.count(cols, 491, 500, 500, gltest::is_white), (500 - cols) * 9) << hp;
    EXPECT_EQ(f.count(0, 0, 500, 490, gltest::is_white), 500 * 490) << hp;

    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0) << hp;
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_DEPTH_TEST)) << hp;
  }
}

}  // namespace

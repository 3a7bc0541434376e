// The title screen, the game-over page and the life bar, drawn in a real GL context with the
// font the build generates, and the on-screen texts' exact Shift-JIS bytes.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/gamesystem.h"
#include "app/state.h"
#include "screens/menu_state.h"
#include "screens/status.h"
#include "screens/texts.h"
#include "support/gl_window.h"

namespace {

const std::string kFont = std::string(VORNA_RUN_DIR) + "/shnm16.f1b";

// The global GL state the game's start-up sets, on a 500 x 500 window.
void game_gl_state() {
  gltest::open_window(500, 500);
  glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(60.0, 1.0, 1.0, 200.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

struct Box {
  int x, y, w;
};

// Width of a Shift-JIS line in a 16-pixel font: 8 per ASCII byte, 16 per two-byte character.
int line_width(const char* s) {
  int w = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p;) {
    if (*p >= 0x20 && *p < 0x7F) {
      w += 8;
      p += 1;
    } else {
      w += 16;
      p += 2;
    }
  }
  return w;
}

bool inside(const Box* boxes, int n, int x, int y) {
  for (int i = 0; i < n; ++i)
    if (x >= boxes[i].x && x < boxes[i].x + boxes[i].w && y >= boxes[i].y && y < boxes[i].y + 16)
      return true;
  return false;
}

// Every box holds text, every pixel outside the boxes is white, and the text is the unlit
// ambient grey (0.04): near black, and no other colour anywhere.
void expect_text_only_in(const gltest::Frame& f, const Box* boxes, int n) {
  for (int i = 0; i < n; ++i) {
    const Box& b = boxes[i];
    EXPECT_GT(f.count(b.x, b.y, b.x + b.w, b.y + 16, gltest::is_dark), 30)
        << "box at " << b.x << ',' << b.y;
  }
  int stray = 0;
  int off_colour = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const gltest::Rgb c = f.at(x, y);
      if (gltest::is_white(c)) continue;
      if (!inside(boxes, n, x, y)) ++stray;
      if (c[0] != c[1] || c[1] != c[2] || c[0] > 12) ++off_colour;
    }
  EXPECT_EQ(stray, 0);
  EXPECT_EQ(off_colour, 0);
}

struct Line {
  int x, y;
  const char* text;
};

// The same lines printed one by one, straight with the renderer, in the screens' colour.
gltest::Frame reference(Gamesystem* gs, const Line* lines, int n) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHT0);
  for (int i = 0; i < n; ++i) gs->kanji.print(lines[i].x, lines[i].y, lines[i].text);
  glEnable(GL_LIGHT0);
  return gltest::read_back_buffer();
}

bool all_white(const gltest::Frame& f) {
  return f.count(0, 0, f.width, f.height, gltest::is_white) == f.width * f.height;
}

void expect_lights_on() {
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
}

// Stands in for the play state in the state table.
class RecordingState : public State {
 public:
  void statetransfer_init(Gamesystem* sys) override {
    ++transfers;
    seen = sys;
  }
  int transfers = 0;
  Gamesystem* seen = nullptr;
};

TEST(Texts, ExactShiftJisBytes) {
  EXPECT_STREQ(texts::title,
               "\x83\x55\x83\x8B\x83\x94\x83\x48\x83\x58\x82\x52"
               "D");
  EXPECT_STREQ(texts::subtitle, "\x81\x60\x83\x7E\x83\x8B\x83\x65\x83\x4A\x81\x60");
  EXPECT_STREQ(texts::start_hint, "\x83\x58\x83\x5E\x81\x5B\x83\x67(S)");
  EXPECT_STREQ(texts::quit_hint, "\x8F\x49\x82\xED\x82\xE9(Q)");
  EXPECT_STREQ(texts::gameover_line,
               "\x97\xCD\x90\x73\x82\xAB\x81\x43\x8E\x80\x82\xF1\x82\xC5\x82\xB5\x82\xDC\x82\xC1"
               "\x82\xBD...");
  EXPECT_STREQ(texts::gameover, "GAME OVER");
  EXPECT_STREQ(texts::restart_hint, "RESTART(R)");
  // 乱暴: 暴 is 0x96 0x5C, a trail byte that reads as a backslash and must survive the build.
  EXPECT_NE(std::strstr(texts::story[3], "\x97\x90\x96\x5C"), nullptr);
  // Half-width punctuation and digits where the story has them.
  EXPECT_NE(std::strstr(texts::story[0], ","), nullptr);
  EXPECT_NE(std::strstr(texts::story[6],
                        "\x82\xA9\x82\xE7"
                        "9"),
            nullptr);  // から9年
  EXPECT_EQ(texts::story[7][0], '7');
  EXPECT_NE(std::strstr(texts::story[8], "..."), nullptr);
  // Every line is whole characters: no lead byte left without its trail.
  for (const char* s : texts::story) {
    const std::size_t n = std::strlen(s);
    std::size_t i = 0;
    while (i < n) i += (static_cast<unsigned char>(s[i]) >= 0x80) ? 2 : 1;
    EXPECT_EQ(i, n) << s;
  }
}

TEST(MenuScreen, CrawlAdvancesFiveAFrameAndComesToRest) {
  game_gl_state();
  Vorna_Gamesystem gs;
  gs.width = gs.height = 500;
  ASSERT_TRUE(gs.kanji.load(kFont.c_str()));
  Menu_State menu;
  EXPECT_EQ(menu.scroll, 0);

  // Story line 1 stands at y 575 - scroll; it shows from the first frame in which its bottom
  // edge is inside the window: scroll 95, y 480.
  for (int i = 0; i < 18; ++i) menu.display(&gs);
  EXPECT_EQ(menu.scroll, 90);
  EXPECT_TRUE(all_white(gltest::read_back_buffer()));
  menu.display(&gs);
  EXPECT_EQ(menu.scroll, 95);
  const Box line1[] = {{25, 480, line_width(texts::story[0])}};
  expect_text_only_in(gltest::read_back_buffer(), line1, 1);
  expect_lights_on();

  for (int i = 19; i < 280; ++i) menu.display(&gs);
  EXPECT_EQ(menu.scroll, 1400);
  menu.display(&gs);
  EXPECT_EQ(menu.scroll, 1400);
}

TEST(MenuScreen, AtRestShowsTitleAndKeyHints) {
  game_gl_state();
  Vorna_Gamesystem gs;
  gs.width = gs.height = 500;
  ASSERT_TRUE(gs.kanji.load(kFont.c_str()));
  Menu_State menu;
  for (int i = 0; i < 290; ++i) menu.display(&gs);

  const auto screen = gltest::read_back_buffer();
  const Box boxes[] = {{142, 75, line_width(texts::title)},
                       {166, 125, line_width(texts::subtitle)},
                       {192, 275, line_width(texts::start_hint)},
                       {200, 325, line_width(texts::quit_hint)}};
  expect_text_only_in(screen, boxes, 4);
  expect_lights_on();

  // Pixel for pixel: exactly those four lines at exactly those positions.
  const Line lines[] = {{142, 75, texts::title},
                        {166, 125, texts::subtitle},
                        {192, 275, texts::start_hint},
                        {200, 325, texts::quit_hint}};
  EXPECT_TRUE(screen.rgb == reference(&gs, lines, 4).rgb);
}

TEST(GameoverScreen, ThreeLines) {
  game_gl_state();
  Vorna_Gamesystem gs;
  gs.width = gs.height = 500;
  ASSERT_TRUE(gs.kanji.load(kFont.c_str()));
  glClearColor(0, 0, 1, 0);
  glClear(GL_COLOR_BUFFER_BIT);  // the page clears whatever was there
  glClearColor(1, 1, 1, 0);
  draw_gameover(&gs);
  const auto screen = gltest::read_back_buffer();
  const Box boxes[] = {{125, 166, line_width(texts::gameover_line)},
                       {185, 250, line_width(texts::gameover)},
                       {185, 333, line_width(texts::restart_hint)}};
  expect_text_only_in(screen, boxes, 3);
  expect_lights_on();

  const Line lines[] = {{125, 166, texts::gameover_line},
                        {185, 250, texts::gameover},
                        {185, 333, texts::restart_hint}};
  EXPECT_TRUE(screen.rgb == reference(&gs, lines, 3).rgb);
}

TEST(Screens, WithoutTheFontArePlainWhiteAndKeysStillWork) {
  game_gl_state();
  Vorna_Gamesystem gs;
  gs.width = gs.height = 500;
  EXPECT_FALSE(gs.kanji.load("no-such-font.f1b"));
  Menu_State menu;
  for (int i = 0; i < 290; ++i) menu.display(&gs);
  EXPECT_TRUE(all_white(gltest::read_back_buffer()));
  draw_gameover(&gs);
  EXPECT_TRUE(all_white(gltest::read_back_buffer()));

  static RecordingState play;
  State::State_list[PLAY] = &play;
  gs.current_state = &menu;
  menu.keyboard('x', 0, 0, &gs);
  EXPECT_EQ(gs.current_state, &menu);
  menu.keyboard('s', 0, 0, &gs);
  EXPECT_EQ(gs.current_state, &play);
  EXPECT_EQ(play.transfers, 1);
  EXPECT_EQ(play.seen, &gs);
  gs.current_state = &menu;
  menu.keyboard('S', 0, 0, &gs);
  EXPECT_EQ(gs.current_state, &play);
  EXPECT_EQ(play.transfers, 2);
}

TEST(ScreensDeathTest, QuitKeysExitWithStatusZero) {
  // Re-run in a fresh process: this program holds an X connection.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Vorna_Gamesystem gs;
  Menu_State menu;
  for (int key : {int{'q'}, int{'Q'}, 27})
    EXPECT_EXIT(menu.keyboard(static_cast<unsigned char>(key), 0, 0, &gs),
                ::testing::ExitedWithCode(0), "")
        << key;
}

TEST(LifeBar, FillsTheBottomRowsInProportion) {
  game_gl_state();
  Vorna_Gamesystem gs;
  gs.width = gs.height = 500;
  GLfloat before[16];
  glGetFloatv(GL_PROJECTION_MATRIX, before);
  auto red = [](const gltest::Rgb& c) { return c[0] > 240 && c[1] < 15 && c[2] < 15; };

  struct Case {
    int hp;
    int red_columns;
  };
  for (const Case& c : {Case{10000, 500}, Case{5000, 250}, Case{15000, 500}, Case{0, 0}}) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_info(&gs, c.hp);
    const auto f = gltest::read_back_buffer();
    // The bar's centre line lies on the centres of row 495, so its 10-pixel width ends on the
    // boundary of rows 490 and 489: llvmpipe draws a quad and leaves row 490 out, the GL
    // rule for wide lines (a column of 10 fragments) takes it. Rows 491..499 are certain.
    for (int y = 491; y < 500; ++y) {
      EXPECT_EQ(f.count(0, y, c.red_columns, y + 1, red), c.red_columns) << c.hp << " row " << y;
      EXPECT_EQ(f.count(c.red_columns, y, 500, y + 1, gltest::is_white), 500 - c.red_columns)
          << c.hp << " row " << y;
    }
    const int edge = f.count(0, 490, 500, 491, red);
    EXPECT_TRUE(edge == 0 || edge == c.red_columns) << c.hp << ": " << edge;
    EXPECT_EQ(f.count(0, 490, 500, 491, gltest::is_white), 500 - edge) << c.hp;
    EXPECT_EQ(f.count(0, 0, 500, 490, gltest::is_white), 500 * 490) << c.hp;

    // What it leaves: projection and lighting as before, identity model-view selected.
    GLfloat after[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(after[i], before[i]);
      EXPECT_EQ(modelview[i], (i % 5 == 0) ? 1.0f : 0.0f);
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    expect_lights_on();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  }
}

}  // namespace

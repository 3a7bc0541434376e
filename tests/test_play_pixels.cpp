// The play screen drawn by the real renderer (Mesa under Xvfb) with the game's GL state, the
// camera placed on known cells of a real maze.
#include <gtest/gtest.h>

#include "support/play_driver.h"

using playtest::cell;
using playtest::clear_items;
using playtest::maze_size;
using playtest::place;
using playtest::play;

namespace {

gltest::Frame draw_frame(Play_State* ps) {
  ps->display(&sys);
  return gltest::read_back_buffer();
}

bool is_red(const gltest::Rgb& c) {
  return c[0] > 200 && c[1] < 40 && c[2] < 40;
}
// The door is lit from above at a grazing angle and fogged: a dull yellow.
bool is_yellowish(const gltest::Rgb& c) {
  return c[0] == c[1] && c[0] > c[2] + 30;
}
bool is_greenish(const gltest::Rgb& c) {
  return c[1] > c[0] + 60 && c[1] > c[2] + 60;
}

// A fresh stage; the items are removed so that nothing stands in front of the camera.
Play_State* stage() {
  Play_State* ps = play();
  ps->statetransfer_init(&sys);
  clear_items(ps);
  return ps;
}

TEST(PlayPixels, FirstPersonFrameAfterSetUpIsTheMazeNotTheWhiteTitle) {
  Play_State* ps = play();
  ps->statetransfer_init(&sys);  // items kept: the real first frame
  const gltest::Frame fr = draw_frame(ps);
  const int white = fr.count(0, 0, 500, 500, gltest::is_white);
  EXPECT_LT(white, 500 * 500 / 2);
  // The lower half is floor and walls: no background there.
  EXPECT_EQ(fr.count(0, 250, 500, 490, gltest::is_white), 0);
  EXPECT_FALSE(gltest::is_white(fr.at(250, 250)));
}

TEST(PlayPixels, WallInFrontFillsTheCentreWithTheDarkWallShade) {
  Play_State* ps = stage();
  place(ps, cell(1, 1), 0);  // row 0 is wall
  const gltest::Frame fr = draw_frame(ps);
  const gltest::Rgb c = fr.at(250, 250);
  // Dark grey wall 2.5 away, a little blue from the fog; far from the white background and
  // from the fog colour (51, 51, 128) of an open view.
  EXPECT_LT(c[0], 70);
  EXPECT_LT(c[1], 70);
  EXPECT_LT(c[2], 90);
  EXPECT_EQ(c[0], c[1]);
  // The same shade over the whole centre.
  auto same = [&](const gltest::Rgb& p) {
    return std::abs(p[0] - c[0]) <= 3 && std::abs(p[1] - c[1]) <= 3 && std::abs(p[2] - c[2]) <= 3;
  };
  EXPECT_EQ(fr.count(150, 150, 350, 350, same), 200 * 200);

  // Without the wall (turned to the open side) the centre is different.
  int open_heading = -1;
  for (int h = 0; h < 4; ++h)
    if (ps->field.move_enable(cell(1, 1) + Play_State::dir[h])) open_heading = h;
  ASSERT_NE(open_heading, -1);
  place(ps, cell(1, 1), open_heading);
  const gltest::Frame fr2 = draw_frame(ps);
  EXPECT_LT(fr2.count(240, 240, 260, 260, same), 400);
}

TEST(PlayPixels, YellowDoorShowsFromTheCellBeforeTheExit) {
  Play_State* ps = stage();
  const int n = maze_size(ps);
  place(ps, cell(n - 2, n - 2), 1);
  const gltest::Frame fr = draw_frame(ps);
  EXPECT_TRUE(is_yellowish(fr.at(250, 250)));
  EXPECT_GT(fr.count(200, 200, 300, 300, is_yellowish), 100 * 100 * 9 / 10);

  // Facing the other way there is no yellow in the centre.
  place(ps, cell(n - 2, n - 2), 3);
  const gltest::Frame fr2 = draw_frame(ps);
  EXPECT_EQ(fr2.count(200, 200, 300, 300, is_yellowish), 0);
}

TEST(PlayPixels, ClickFacingAWallLeavesAGreenMark) {
  Play_State* ps = stage();
  place(ps, cell(1, 1), 0);
  EXPECT_EQ(draw_frame(ps).count(0, 0, 500, 490, is_greenish), 0);
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 250, 250, &sys);
  const gltest::Frame fr = draw_frame(ps);
  EXPECT_TRUE(is_greenish(fr.at(250, 250)));
  EXPECT_GT(fr.count(0, 0, 500, 490, is_greenish), 1000);
}

TEST(PlayPixels, OverheadViewLooksDownOnTheWallTops) {
  Play_State* ps = stage();
  place(ps, cell(1, 1), 0);
  const gltest::Frame low = draw_frame(ps);
  ps->keyboard('b', 0, 0, &sys);
  const gltest::Frame high = draw_frame(ps);
  // 6 units up, the wall that filled the view ends below the centre.
  int changed = 0;
  for (int y = 0; y < 490; y += 5)
    for (int x = 0; x < 500; x += 5) changed += low.at(x, y) != high.at(x, y);
  EXPECT_GT(changed, 100 * 98 / 4);
}

TEST(PlayPixels, LifeBarShortensAsLifeFalls) {
  Play_State* ps = stage();
  place(ps, cell(1, 1), 0);
  // The bar's rows along the bottom edge (its exact top row belongs to the bar's own tests).
  ps->hp = 10000;
  gltest::Frame fr = draw_frame(ps);
  EXPECT_EQ(fr.count(0, 492, 500, 500, is_red), 500 * 8);
  EXPECT_FALSE(is_red(fr.at(250, 480)));

  ps->hp = 5000;
  fr = draw_frame(ps);
  EXPECT_EQ(fr.count(0, 492, 245, 500, is_red), 245 * 8);
  EXPECT_EQ(fr.count(255, 492, 500, 500, is_red), 0);

  // Ticks take it down; at 0 the game-over page replaces the scene and the bar.
  ps->hp = 1;
  playtest::tick(ps);
  fr = draw_frame(ps);
  EXPECT_EQ(fr.count(0, 490, 500, 500, is_red), 0);
  EXPECT_GT(fr.count(0, 0, 500, 500, gltest::is_white), 500 * 500 * 9 / 10);
}

}  // namespace

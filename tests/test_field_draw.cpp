// Field drawing on hand-made grids, looked at from straight above with an orthographic camera:
// window pixel (px, py) shows world x, z; a directional light from above lights every top
// face alike, so shades compare materials.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "maze/vorna_field.h"
#include "support/gl_window.h"

namespace {

constexpr int kSize = 500;
// World rectangle shown: x and z from kLo to kHi.
constexpr double kLo = -5.0;
constexpr double kHi = 70.0;

std::vector<std::vector<char>> make_grid(const std::vector<std::string>& rows) {
  std::vector<std::vector<char>> g;
  for (const std::string& r : rows) g.emplace_back(r.begin(), r.end());
  return g;
}

// All open cells, n x n.
std::vector<std::string> open_rows(int n) {
  return std::vector<std::string>(n, std::string(n, '_'));
}

class FieldDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gltest::open_window(kSize, kSize);
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glDisable(GL_FOG);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Eye x = world x, eye y = -world z, eye z = world y (after the rotation below).
    glOrtho(kLo, kHi, -kHi, -kLo, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat from_above[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, from_above);
    glRotated(90.0, 1.0, 0.0, 0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  gltest::Frame draw(Vorna_Field& f) {
    f.field_draw();
    return gltest::read_back_buffer();
  }

  // The pixel showing world point (x, z) from above.
  static gltest::Rgb at(const gltest::Frame& fr, double x, double z) {
    const double scale = kSize / (kHi - kLo);
    return fr.at(static_cast<int>((x - kLo) * scale), static_cast<int>((z - kLo) * scale));
  }
};

bool is_grey(const gltest::Rgb& c) {
  return c[0] == c[1] && c[1] == c[2];
}
bool is_yellow(const gltest::Rgb& c) {
  return c[0] > 200 && c[1] > 200 && c[2] < 40;
}
bool is_green(const gltest::Rgb& c) {
  return c[1] > 200 && c[0] < 40 && c[2] < 40;
}

TEST_F(FieldDrawTest, GridWithoutRowsDrawsNothingAndLeavesMatricesAlone) {
  Vorna_Field f;
  GLdouble before[16], after[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, before);
  EXPECT_EQ(f.field_draw(), 0);
  glGetDoublev(GL_MODELVIEW_MATRIX, after);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(before[i], after[i]);
  const gltest::Frame fr = gltest::read_back_buffer();
  EXPECT_EQ(fr.count(0, 0, kSize, kSize, gltest::is_white), kSize * kSize);
}

TEST_F(FieldDrawTest, CheckeredFloorCoversNByNTilesFromOrigin) {
  Vorna_Field f;
  f.grid = make_grid(open_rows(13));
  const gltest::Frame fr = draw(f);

  const gltest::Rgb dark = at(fr, 2.5, 2.5);   // tile (0, 0)
  const gltest::Rgb light = at(fr, 7.5, 2.5);  // tile (0, 1)
  EXPECT_TRUE(is_grey(dark));
  EXPECT_TRUE(is_grey(light));
  // 0.3 against 0.6 under the same light.
  EXPECT_GT(light[0], dark[0] * 1.7);
  EXPECT_LT(light[0], dark[0] * 2.3);
  EXPECT_EQ(at(fr, 2.5, 7.5), light);    // tile (1, 0)
  EXPECT_EQ(at(fr, 7.5, 7.5), dark);     // tile (1, 1)
  EXPECT_EQ(at(fr, 32.5, 27.5), light);  // tile (5, 6)

  // The floor ends at 5n on both axes.
  EXPECT_FALSE(gltest::is_white(at(fr, 64.0, 30.0)));
  EXPECT_TRUE(gltest::is_white(at(fr, 66.0, 30.0)));
  EXPECT_FALSE(gltest::is_white(at(fr, 30.0, 64.0)));
  EXPECT_TRUE(gltest::is_white(at(fr, 30.0, 66.0)));
}

TEST_F(FieldDrawTest, WallsAreDarkCubesCentredOnReferencePoints) {
  for (int n : {12, 13}) {  // the last tile is dark for even and odd sizes alike
    SCOPED_TRACE(n);
    SetUp();
    Vorna_Field f;
    std::vector<std::string> rows = open_rows(n);
    rows[2][3] = '#';  // cube centred at (15, 1.25, 10)
    f.grid = make_grid(rows);
    const gltest::Frame fr = draw(f);

    const gltest::Rgb dark_tile = at(fr, 2.5, 2.5);
    // Inside the cube's footprint, over what would be light tiles (1, 2) and (2, 2).
    EXPECT_EQ(at(fr, 13.0, 8.0), dark_tile);
    EXPECT_EQ(at(fr, 13.0, 12.0), dark_tile);
    EXPECT_EQ(at(fr, 17.0, 8.0), dark_tile);  // over dark tile (1, 3)
    // Just outside it: the light tiles show.
    EXPECT_GT(at(fr, 18.0, 11.0)[0], dark_tile[0] + 30);  // tile (2, 3)
    EXPECT_GT(at(fr, 12.0, 8.0)[0], dark_tile[0] + 30);   // tile (1, 2)
  }
}

TEST_F(FieldDrawTest, EntranceBlockExitDoorAndFrame) {
  Vorna_Field f;
  f.grid = make_grid(open_rows(13));
  const gltest::Frame fr = draw(f);
  const gltest::Rgb dark_tile = at(fr, 2.5, 2.5);

  // Entrance block: x -4.5..0.5 in row 1 (z 2.5..7.5), nothing beside it.
  EXPECT_EQ(at(fr, -3.0, 5.0), dark_tile);
  EXPECT_EQ(at(fr, -3.0, 3.0), dark_tile);
  EXPECT_TRUE(gltest::is_white(at(fr, -3.0, 1.5)));
  EXPECT_TRUE(gltest::is_white(at(fr, -4.8, 5.0)));

  // Door centred at (60, 1.25, 55), edge 50/11, seen between the frame blocks (z 53.33..56.67).
  EXPECT_TRUE(is_yellow(at(fr, 60.0, 55.0)));
  EXPECT_TRUE(is_yellow(at(fr, 58.0, 54.0)));
  EXPECT_TRUE(is_yellow(at(fr, 62.0, 56.3)));
  // Frame blocks centred at z = 55 -+ 25/6, taller than the door, cover its ends.
  EXPECT_EQ(at(fr, 60.0, 53.0), dark_tile);
  EXPECT_EQ(at(fr, 60.0, 57.0), dark_tile);
  EXPECT_EQ(at(fr, 60.0, 48.6), dark_tile);
  EXPECT_EQ(at(fr, 60.0, 61.4), dark_tile);
  // Past the floor's edge (z 65) only the background.
  EXPECT_TRUE(gltest::is_white(at(fr, 60.0, 66.0)));

  // Exactly one yellow region, the door.
  const int yellow = fr.count(0, 0, kSize, kSize, is_yellow);
  const double px = kSize / (kHi - kLo);
  // Visible door top: 50/11 wide (x) by 10/3 deep (z).
  EXPECT_NEAR(yellow, (50.0 / 11.0) * (10.0 / 3.0) * px * px, 60.0);
}

TEST_F(FieldDrawTest, MarksAreGreenSpheresAndGreenStaysCurrent) {
  Vorna_Field f;
  f.grid = make_grid(open_rows(13));
  f.markings.push_back(VECTORD{10.0, 1.0, 7.5});
  f.markings.push_back(VECTORD{40.0, 1.0, 30.0});
  f.markings.push_back(VECTORD{40.0, 1.0, 30.0});  // duplicates are drawn too
  const gltest::Frame fr = draw(f);
  EXPECT_TRUE(is_green(at(fr, 10.0, 7.5)));
  EXPECT_TRUE(is_green(at(fr, 40.0, 30.0)));
  EXPECT_TRUE(is_green(at(fr, 10.7, 7.5)));
  EXPECT_FALSE(is_green(at(fr, 11.2, 7.5)));  // radius 1.0
  EXPECT_FALSE(is_green(at(fr, 30.0, 30.0)));

  // With no marks nothing green is drawn, yet green is the material left behind.
  Vorna_Field empty_marks;
  empty_marks.grid = make_grid(open_rows(13));
  SetUp();
  const gltest::Frame fr2 = draw(empty_marks);
  EXPECT_EQ(fr2.count(0, 0, kSize, kSize, is_green), 0);
  GLfloat front[4], back[4], ambient[4];
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, front);
  glGetMaterialfv(GL_BACK, GL_DIFFUSE, back);
  glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
  EXPECT_FLOAT_EQ(front[0], 0.0f);
  EXPECT_FLOAT_EQ(front[1], 1.0f);
  EXPECT_FLOAT_EQ(front[2], 0.0f);
  EXPECT_FLOAT_EQ(back[1], 1.0f);
  EXPECT_FLOAT_EQ(ambient[1], 1.0f);
}

TEST_F(FieldDrawTest, RowsOfDifferentLengthDrawTheirOwnWallsOverTheFirstRowsFloor) {
  Vorna_Field f;
  f.grid = make_grid({"___", "_____#", "___"});
  GLint depth_before = 0, depth_after = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
  const gltest::Frame fr = draw(f);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
  EXPECT_EQ(depth_before, depth_after);

  // Wall of row 1, column 5 at (25, 1.25, 5), beyond the 3 x 3 floor.
  EXPECT_TRUE(is_grey(at(fr, 25.0, 5.0)));
  EXPECT_FALSE(gltest::is_white(at(fr, 25.0, 5.0)));
  EXPECT_TRUE(gltest::is_white(at(fr, 25.0, 12.0)));
  EXPECT_TRUE(gltest::is_white(at(fr, 16.0, 12.0)));
  // For n = 3 the door sits in row 1, column 2: (10, 1.25, 5).
  EXPECT_TRUE(is_yellow(at(fr, 10.0, 5.0)));
}

}  // namespace

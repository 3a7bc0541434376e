// Field drawing on hand-made grids, seen from straight above through an orthographic camera and
// lit from straight above, so that shades compare materials.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "maze/vorna_field.h"
#include "support/gl_window.h"

namespace {

constexpr double kLo = -5.0, kHi = 70.0;  // world x and z shown, 500 pixels each

// Draws an n x n open grid, with walls where `walls` says, from above onto a white window.
gltest::Frame draw(int n, const std::vector<std::pair<int, int>>& walls = {}) {
  gltest::open_game_window(500, 500);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(kLo, kHi, -kHi, -kLo, -100.0, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const GLfloat from_above[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, from_above);
  glRotated(90.0, 1.0, 0.0, 0.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  Vorna_Field f;
  f.grid.assign(n, std::vector<char>(n, '_'));
  for (auto [r, c] : walls) f.grid[r][c] = '#';
  GLdouble before[16], after[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, before);
  f.field_draw();
  glGetDoublev(GL_MODELVIEW_MATRIX, after);
  EXPECT_TRUE(std::equal(before, before + 16, after));  // every push has its pop
  return gltest::read_back_buffer();
}

// The pixel showing world point (x, z).
gltest::Rgb at(const gltest::Frame& fr, double x, double z) {
  const double scale = 500 / (kHi - kLo);
  return fr.at(static_cast<int>((x - kLo) * scale), static_cast<int>((z - kLo) * scale));
}

// The mark material (green) is current whenever the field has been drawn, even with no rows.
gltest::Rgb current_ambient() {
  GLfloat c[4] = {};
  glGetMaterialfv(GL_FRONT, GL_AMBIENT, c);
  return {static_cast<std::uint8_t>(c[0] * 255), static_cast<std::uint8_t>(c[1] * 255),
          static_cast<std::uint8_t>(c[2] * 255)};
}

TEST(FieldDraw, EmptyGridNothingElseCheckeredFloorAndDarkWalls) {
  const GLfloat red[4] = {1.0f, 0.0f, 0.0f, 0.0f};
  gltest::open_game_window(500, 500);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, red);  // as the life ball leaves it
  EXPECT_EQ(draw(0).count(0, 0, 500, 500, gltest::is_white), 500 * 500);
  EXPECT_EQ(current_ambient(), (gltest::Rgb{0, 255, 0}));
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, red);
  draw(3);
  EXPECT_EQ(current_ambient(), (gltest::Rgb{0, 255, 0}));
  for (int n : {12, 13}) {  // the walls take the last tile's material: dark for both
    SCOPED_TRACE(n);
    const gltest::Frame fr = draw(n, {{2, 3}});  // a cube of edge 5 centred on (15, 10)
    const gltest::Rgb dark = at(fr, 2.5, 2.5), light = at(fr, 7.5, 2.5);  // tiles (0, 0), (0, 1)
    EXPECT_GT(light[0], dark[0] * 1.7);  // 0.6 against 0.3 under the same light
    EXPECT_LT(light[0], dark[0] * 2.3);
    EXPECT_EQ(at(fr, 2.5, 7.5), light);
    EXPECT_EQ(at(fr, 7.5, 7.5), dark);
    EXPECT_EQ(at(fr, 32.5, 27.5), light);                              // tile (5, 6)
    EXPECT_FALSE(gltest::is_white(at(fr, 5.0 * n - 1, 5.0 * n - 1)));  // the floor ends at 5n
    EXPECT_TRUE(gltest::is_white(at(fr, 5.0 * n + 1, 30.0)));
    EXPECT_TRUE(gltest::is_white(at(fr, 30.0, 5.0 * n + 1)));
    EXPECT_EQ(at(fr, 13.0, 8.0), dark);  // the cube over light tiles (1, 2) and (2, 2)
    EXPECT_EQ(at(fr, 13.0, 12.0), dark);
    EXPECT_GT(at(fr, 18.0, 11.0)[0], dark[0] + 30);  // just outside: light tiles (2, 3), (1, 2)
    EXPECT_GT(at(fr, 12.0, 8.0)[0], dark[0] + 30);
  }
}

}  // namespace

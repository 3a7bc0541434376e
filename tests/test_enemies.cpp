// Enemies walking small hand-made grids: straight-first, right-first, and the chase.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <string>
#include <vector>

#include "maze/vorna_field.h"
#include "objects/enemy.h"
#include "support/gl_window.h"

namespace {

VECTORD v(double x, double y, double z) {
  return VECTORD{x, y, z};
}

void set_grid(Vorna_Field& f, std::initializer_list<const char*> lines) {
  f.grid.clear();
  for (const char* l : lines) f.grid.emplace_back(l, l + std::string(l).size());
  f.player_pos = v(1000, 1, 1000);  // far away and in line with nothing
}

template <typename E>
void ticks(E& e, Vorna_Field& f, int n) {
  for (int i = 0; i < n; ++i) EXPECT_EQ(e.move(f), 0);
}

bool at(const VECTORD& p, double x, double z) {
  return p.x == x && p.y == 1.0 && p.z == z;
}

// Column 2 open from row 1 to row 7.
const std::initializer_list<const char*> kCorridor = {"#####", "##_##", "##_##", "##_##", "##_##",
                                                      "##_##", "##_##", "##_##", "#####"};

}  // namespace

TEST(Enemy2, WalksStraightOneCellInNineTicks) {
  Vorna_Field f;
  set_grid(f, kCorridor);
  enemy2 e(v(10, 1, 30), 0);
  EXPECT_EQ(e.steps_left, 0);
  ticks(e, f, 1);  // decides
  EXPECT_TRUE(at(e.pos, 10, 30));
  EXPECT_EQ(e.steps_left, 8);
  ticks(e, f, 1);
  EXPECT_TRUE(at(e.pos, 10, 29.375));
  ticks(e, f, 7);
  EXPECT_TRUE(at(e.pos, 10, 25));
  EXPECT_EQ(e.steps_left, 0);
  EXPECT_EQ(e.heading, 0);

  // At the corridor's end (row 1) it reverses in one tick and walks back.
  ticks(e, f, 4 * 9);
  EXPECT_TRUE(at(e.pos, 10, 5));
  ticks(e, f, 1);
  EXPECT_EQ(e.heading, 2);
  EXPECT_TRUE(at(e.pos, 10, 5));
  ticks(e, f, 9);
  EXPECT_TRUE(at(e.pos, 10, 10));
}

TEST(Enemy2, TurnsRightBeforeLeftAndTakesATickPerTurn) {
  Vorna_Field f;
  set_grid(f, {"#####", "#___#", "##_##", "#####"});
  enemy2 e(v(10, 1, 5), 0);  // facing the wall, both sides open
  ticks(e, f, 1);
  EXPECT_EQ(e.heading, 1);
  EXPECT_EQ(e.steps_left, 0);
  EXPECT_TRUE(at(e.pos, 10, 5));
  ticks(e, f, 1);
  EXPECT_EQ(e.steps_left, 8);
  ticks(e, f, 8);
  EXPECT_TRUE(at(e.pos, 15, 5));

  set_grid(f, {"#####", "#__##", "##_##", "#####"});
  enemy2 left(v(10, 1, 5), 0);
  ticks(left, f, 1);
  EXPECT_EQ(left.heading, 3);
}

TEST(Enemy, TurnsRightTwiceAtARightOpeningAndWalksBack) {
  Vorna_Field f;
  set_grid(f, {"#####", "##_##", "##_##", "##___", "##_##", "##_##", "##_##", "#####"});
  enemy e(v(10, 1, 30), 0);
  // Right side closed, ahead open: straight on, three cells to the opening in row 3.
  ticks(e, f, 1);
  EXPECT_EQ(e.heading, 0);
  EXPECT_EQ(e.steps_left, 8);
  ticks(e, f, 3 * 9 - 1);
  EXPECT_TRUE(at(e.pos, 10, 15));
  ticks(e, f, 1);
  EXPECT_EQ(e.heading, 1);  // east
  ticks(e, f, 1);
  EXPECT_EQ(e.heading, 2);  // south, where it came from
  EXPECT_TRUE(at(e.pos, 10, 15));
  ticks(e, f, 1);
  EXPECT_EQ(e.steps_left, 8);
  ticks(e, f, 8);
  EXPECT_TRUE(at(e.pos, 10, 20));
}

TEST(Enemy, CrossroadsSpinDeadEndsReverseLeftTurns) {
  Vorna_Field f;
  set_grid(f, {"#####", "##_##", "#___#", "##_##", "#####"});
  enemy e(v(10, 1, 10), 0);
  for (int i = 1; i <= 8; ++i) {
    ticks(e, f, 1);
    EXPECT_EQ(e.heading, i % 4);
    EXPECT_EQ(e.steps_left, 0);
  }
  EXPECT_TRUE(at(e.pos, 10, 10));

  set_grid(f, {"#####", "##_##", "##_##", "#####"});
  enemy dead_end(v(10, 1, 5), 0);
  ticks(dead_end, f, 1);
  EXPECT_EQ(dead_end.heading, 2);

  set_grid(f, {"#####", "#__##", "#####"});
  enemy left(v(10, 1, 5), 0);
  ticks(left, f, 1);
  EXPECT_EQ(left.heading, 3);
}

TEST(Enemy, ChasesAPlayerInLineTowardsThePlayer) {
  Vorna_Field f;
  set_grid(f, {"#######", "#_____#", "#_____#", "#_____#", "#_____#", "#_____#", "#######"});
  struct Case {
    VECTORD player;
    int heading;
  };
  // The enemy stands at row 3, column 3 (15, 1, 15), facing north.
  for (Case c : {Case{v(15, 1, 25.5), 2}, Case{v(15, 1, 5), 0}, Case{v(25.5, 1, 15), 1},
                 Case{v(5, 1, 15), 3}}) {
    enemy e(v(15, 1, 15), 0);
    f.player_pos = c.player;
    ticks(e, f, 1);
    EXPECT_EQ(e.heading, c.heading) << c.player.x << "," << c.player.z;
    EXPECT_EQ(e.steps_left, 8);
    ticks(e, f, 8);
    EXPECT_EQ(e.pos.x, 15 + 5 * ((c.heading == 1) - (c.heading == 3)));
    EXPECT_EQ(e.pos.z, 15 + 5 * ((c.heading == 2) - (c.heading == 0)));
  }

  // A neighbouring player is not chased: the right-first rule turns it east.
  enemy near(v(15, 1, 15), 0);
  f.player_pos = v(15, 1, 20);
  ticks(near, f, 1);
  EXPECT_EQ(near.heading, 1);
  EXPECT_EQ(near.steps_left, 0);
}

TEST(Enemy, NeverChasesIntoAWall) {
  Vorna_Field f;
  // Player two rows below, a wall between; the way ahead (north) is open.
  set_grid(f, {"#####", "##_##", "##_##", "#####", "##_##", "#####"});
  f.player_pos = v(10, 1, 20);
  enemy e(v(10, 1, 10), 0);
  ticks(e, f, 1);
  EXPECT_EQ(e.heading, 0);
  EXPECT_EQ(e.steps_left, 8);
  ticks(e, f, 8);
  EXPECT_TRUE(at(e.pos, 10, 5));
}

TEST(Enemies, HaveNoEffectTouchNothingAndKeepHeadingsInRange) {
  Vorna_Field f;
  set_grid(f, kCorridor);
  enemy a(v(10, 1, 30), 5);
  enemy2 b(v(10, 1, 30), -1);
  EXPECT_EQ(a.heading, 1);
  EXPECT_EQ(b.heading, 3);
  int hp = 77;
  EXPECT_EQ(a.action(&hp), 0);
  EXPECT_EQ(b.action(&hp), 0);
  EXPECT_EQ(hp, 77);
  EXPECT_FALSE(a.stumb(a.pos));
  EXPECT_FALSE(b.stumb(b.pos));

  // A heading set out of range from outside is read modulo 4.
  b.heading = 6;  // south
  ticks(b, f, 1);
  EXPECT_EQ(b.heading, 2);
  EXPECT_EQ(b.steps_left, 8);

  // With no grid at all every way is closed: they turn about, never step.
  set_grid(f, {});
  enemy c(v(10, 1, 30), 0);
  enemy2 d(v(10, 1, 30), 0);
  ticks(c, f, 3);
  ticks(d, f, 3);
  EXPECT_TRUE(at(c.pos, 10, 30));
  EXPECT_TRUE(at(d.pos, 10, 30));
}

TEST(Enemies, DrawAConeAtTheirPositionInTheCurrentMaterial) {
  gltest::open_window(200, 200);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.0, 1.0, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslated(0, 0, -12);
  const GLfloat blue[] = {0.0f, 0.0f, 1.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, blue);
  GLfloat before[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);

  enemy2 e(v(2, 0, -3), 0);  // right of centre, pointing at the eye
  EXPECT_EQ(e.draw(), 0);
  GLfloat after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_EQ(std::vector<GLfloat>(before, before + 16), std::vector<GLfloat>(after, after + 16));

  const gltest::Frame fr = gltest::read_back_buffer();
  auto blue_px = [](const gltest::Rgb& c) { return c[2] > 60 && c[0] < 30 && c[1] < 30; };
  EXPECT_GT(fr.count(100, 0, 200, 200, blue_px), 300);
  EXPECT_EQ(fr.count(0, 0, 100, 200, blue_px), 0);
}

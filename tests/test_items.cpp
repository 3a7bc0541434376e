// Items: touch radius, spin, pick-up effects, and drawing in a real GL context.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cmath>
#include <string>
#include <vector>

#include "maze/vorna_field.h"
#include "objects/field_object.h"
#include "objects/items.h"
#include "sound/sound_effect.h"
#include "support/gl_window.h"

namespace {

std::vector<std::string> g_sounds;
void record_sound(const char* wav) {
  g_sounds.emplace_back(wav);
}

VECTORD v(double x, double y, double z) {
  return VECTORD{x, y, z};
}

// Looks at the origin from 8 units down +z, lit by light 0, on white.
void begin_scene() {
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
  glTranslated(0, 0, -8);
}

bool is_red(const gltest::Rgb& c) {
  return c[0] > 100 && c[1] < 30 && c[2] < 30;
}
bool is_green(const gltest::Rgb& c) {
  return c[1] > 100 && c[0] < 30 && c[2] < 30;
}

std::vector<GLfloat> modelview() {
  std::vector<GLfloat> m(16);
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

}  // namespace

TEST(Items, TouchIsInclusiveAtTwoAndAHalfUnitsIn3D) {
  Item_teapod pot(v(55, 1, 5));
  EXPECT_TRUE(pot.stumb(v(57.5, 1, 5)));
  EXPECT_FALSE(pot.stumb(v(57.6, 1, 5)));
  EXPECT_TRUE(pot.stumb(v(55, 3.5, 5)));  // height counts
  EXPECT_FALSE(pot.stumb(v(55, 3.6, 5)));
  EXPECT_TRUE(pot.stumb(v(55, 1, 5)));

  Item_Life life(v(10, 1.25, 10));
  EXPECT_FALSE(life.stumb(v(12.5, 1, 10)));  // about 2.5125
  EXPECT_TRUE(life.stumb(v(11.25, 1, 10)));
  EXPECT_TRUE(life.stumb(v(10, 1, 7.75)));  // sqrt(2.25^2 + 0.25^2) < 2.5

  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  for (field_object* o : std::vector<field_object*>{&pot, &life}) {
    EXPECT_FALSE(o->stumb(v(nan, 1, 5)));
    EXPECT_FALSE(o->stumb(v(inf, 1, 5)));
  }
  Item_Life lost(v(nan, 0, 0));
  EXPECT_FALSE(lost.stumb(v(0, 0, 0)));
}

TEST(Items, SpinTwoDegreesPerMoveWrappingAbove360) {
  Vorna_Field field;
  Item_teapod pot(v(0, 0, 0));
  Item_Life life(v(0, 0, 0));
  for (int i = 0; i < 180; ++i) {
    pot.move(field);
    life.move(field);
    ASSERT_GT(pot.angle, 0.0);
  }
  EXPECT_EQ(pot.angle, 360.0);
  EXPECT_EQ(life.angle, 360.0);
  pot.move(field);
  life.move(field);
  EXPECT_EQ(pot.angle, 2.0);
  EXPECT_EQ(life.angle, 2.0);
  EXPECT_EQ(pot.pos.x, 0.0);  // spinning does not move it
}

TEST(Items, PickUpEffectsAndTheirSounds) {
  gltest::open_window(200, 200);
  set_sound_effect_listener(record_sound);
  g_sounds.clear();

  int hp = 30;
  field_object* life = new Item_Life(v(10, 1.25, 10));
  EXPECT_EQ(life->action(&hp), 0);
  EXPECT_EQ(hp, 5030);
  delete life;  // through the base, as the play state does

  glEnable(GL_FOG);
  field_object* pot = new Item_teapod(v(55, 1, 5));
  EXPECT_EQ(pot->action(&hp), 0);
  EXPECT_EQ(hp, 5030);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  delete pot;

  EXPECT_EQ(g_sounds, (std::vector<std::string>{"life.wav", "dfog.wav"}));

  // The base object has no effect at all.
  field_object plain(v(1, 2, 3));
  Vorna_Field field;
  EXPECT_EQ(plain.action(&hp), 0);
  EXPECT_EQ(plain.move(field), 0);
  EXPECT_EQ(hp, 5030);
  EXPECT_FALSE(plain.stumb(v(1, 2, 3)));
  EXPECT_EQ(g_sounds.size(), 2u);
  set_sound_effect_listener(nullptr);
}

TEST(Items, LifeBallDrawsRedAndLeavesRedCurrent) {
  begin_scene();
  const auto before = modelview();
  Item_Life life(v(0, 0, 0));
  life.angle = 90.0;
  life.draw();
  EXPECT_EQ(modelview(), before);
  const gltest::Frame f = gltest::read_back_buffer();
  EXPECT_TRUE(is_red(f.at(100, 100)));
  EXPECT_GT(f.count(0, 0, 200, 200, is_red), 2000);
  EXPECT_TRUE(gltest::is_white(f.at(5, 5)));

  GLfloat m[4];
  glGetMaterialfv(GL_BACK, GL_DIFFUSE, m);
  EXPECT_EQ(m[0], 1.0f);
  EXPECT_EQ(m[1], 0.0f);
  EXPECT_EQ(m[2], 0.0f);
}

TEST(Items, TeapotTakesTheCurrentMaterialAndStandsAtItsPosition) {
  begin_scene();
  const GLfloat green[] = {0.0f, 1.0f, 0.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, green);
  const auto before = modelview();
  Item_teapod pot(v(-1.5, 0, 0));  // left of centre
  pot.draw();
  EXPECT_EQ(modelview(), before);
  const gltest::Frame f = gltest::read_back_buffer();
  const int left = f.count(0, 0, 100, 200, is_green);
  const int right = f.count(100, 0, 200, 200, is_green);
  EXPECT_GT(left, 1000);
  EXPECT_GT(left, 2 * right);
  EXPECT_EQ(f.count(0, 0, 200, 200, is_red), 0);

  // The base object draws nothing.
  begin_scene();
  field_object plain(v(0, 0, 0));
  EXPECT_EQ(plain.draw(), 0);
  const gltest::Frame empty = gltest::read_back_buffer();
  EXPECT_EQ(empty.count(0, 0, 200, 200, [](const gltest::Rgb& c) { return !gltest::is_white(c); }),
            0);
}

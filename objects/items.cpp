#include "objects/items.h"

#include <GL/freeglut.h>

#include <cmath>

#include "platform/data_file_list.h"
#include "sound/sound_effect.h"

namespace {

constexpr double kSpinStep = 2.0;
constexpr double kTouchRadius = 2.5;
constexpr int kLifeBonus = 5000;

double spin(double angle) {
  angle += kSpinStep;
  if (angle > 360.0) angle -= 360.0;
  return angle;
}

// Inclusive; a NaN distance fails the comparison and so touches nothing.
bool touches(const VECTORD& a, const VECTORD& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  const double dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz) <= kTouchRadius;
}

}  // namespace

Item_teapod::Item_teapod(VECTORD v) : field_object(v), angle(0.0) {}

int Item_teapod::move(Vorna_Field&) {
  angle = spin(angle);
  return 0;
}

int Item_teapod::action(int*) {
  play_sound_effect(data_files::kFogEffect);
  glDisable(GL_FOG);
  return 0;
}

// No material of its own: the teapot shows in whatever is current.
int Item_teapod::draw() {
  glPushMatrix();
  glTranslated(pos.x, pos.y, pos.z);
  glRotated(angle, 0.0, 1.0, 0.0);
  glutSolidTeapot(1.5);
  glPopMatrix();
  return 0;
}

bool Item_teapod::stumb(VECTORD pt) {
  return touches(pos, pt);
}

Item_Life::Item_Life(VECTORD v) : field_object(v), angle(0.0) {}

int Item_Life::move(Vorna_Field&) {
  angle = spin(angle);
  return 0;
}

int Item_Life::action(int* hp) {
  play_sound_effect(data_files::kLifeEffect);
  *hp += kLifeBonus;
  return 0;
}

int Item_Life::draw() {
  static const GLfloat marking_color[] = {1.0f, 0.0f, 0.0f, 0.0f};
  glPushMatrix();
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, marking_color);
  glTranslated(pos.x, pos.y, pos.z);
  glRotated(angle, 0.0, 1.0, 0.0);
  glutSolidSphere(1.5, 10, 10);
  glPopMatrix();
  return 0;
}

bool Item_Life::stumb(VECTORD pt) {
  return touches(pos, pt);
}

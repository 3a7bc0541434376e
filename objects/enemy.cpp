#include "objects/enemy.h"

#include <GL/freeglut.h>

#include "maze/vorna_field.h"

namespace {

constexpr const VECTORD (&dir)[4] = CELL_STEP;
constexpr int kSubSteps = 8;

// Headings are public members: reduce any int to 0..3 before indexing the table.
int wrap(int heading) {
  return heading & 3;
}

bool open_towards(Vorna_Field& field, const VECTORD& pos, int heading) {
  return field.move_enable(pos + dir[wrap(heading)]);
}

// Advances one sub-step if a move is under way; true when it did.
bool sub_step(VECTORD& pos, int heading, int& steps_left) {
  if (steps_left <= 0) return false;
  pos += dir[wrap(heading)] / static_cast<double>(kSubSteps);
  --steps_left;
  return true;
}

void draw_cone(const VECTORD& pos) {
  glPushMatrix();
  glTranslated(pos.x, pos.y, pos.z);
  glutSolidCone(1.0, 3.0, 10, 10);
  glPopMatrix();
}

}  // namespace

enemy::enemy(VECTORD start, int start_heading)
    : field_object(start), heading(wrap(start_heading)), steps_left(0) {}

int enemy::move(Vorna_Field& field) {
  heading = wrap(heading);
  if (sub_step(pos, heading, steps_left)) return 0;

  // Chase along the axis on which the player stands in line, towards the player. The axis
  // probe itself lands inside the enemy's own cell, so the cell towards the player must be
  // open as well: a chase never walks into a wall.
  const VECTORD axis = field.find_enemy(pos);
  if ((axis.x != 0.0 || axis.z != 0.0) && field.move_enable(pos + axis)) {
    int toward;
    if (axis.x != 0.0)
      toward = field.player_pos.x > pos.x ? 1 : 3;
    else
      toward = field.player_pos.z > pos.z ? 2 : 0;
    if (open_towards(field, pos, toward)) {
      heading = toward;
      steps_left = kSubSteps;
      return 0;
    }
  }

  if (open_towards(field, pos, heading + 1))
    heading = wrap(heading + 1);
  else if (open_towards(field, pos, heading))
    steps_left = kSubSteps;
  else if (open_towards(field, pos, heading + 3))
    heading = wrap(heading + 3);
  else
    heading = wrap(heading + 2);
  return 0;
}

int enemy::action(int*) {
  return 0;
}

int enemy::draw() {
  draw_cone(pos);
  return 0;
}

enemy2::enemy2(VECTORD start, int start_heading)
    : field_object(start), heading(wrap(start_heading)), steps_left(0) {}

int enemy2::move(Vorna_Field& field) {
  heading = wrap(heading);
  if (sub_step(pos, heading, steps_left)) return 0;

  if (open_towards(field, pos, heading))
    steps_left = kSubSteps;
  else if (open_towards(field, pos, heading + 1))
    heading = wrap(heading + 1);
  else if (open_towards(field, pos, heading + 3))
    heading = wrap(heading + 3);
  else
    heading = wrap(heading + 2);
  return 0;
}

int enemy2::action(int*) {
  return 0;
}

int enemy2::draw() {
  draw_cone(pos);
  return 0;
}

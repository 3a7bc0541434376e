#include <GL/freeglut.h>

#include "maze/vorna_field.h"

namespace {

void set_material(const GLfloat* rgba) {
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, rgba);
}

// A solid cube of the given edge centred at (x, y, z), the matrix restored afterwards.
void cube_at(double x, double y, double z, double edge) {
  glPushMatrix();
  glTranslated(x, y, z);
  glutSolidCube(edge);
  glPopMatrix();
}

}  // namespace

// Floor, walls, entrance block, exit door and the player's marks, all in world coordinates.
// Everything is drawn every frame in immediate mode; the fog and the far plane limit the view.
int Vorna_Field::field_draw() {
  static const GLfloat ground[2][4] = {{0.3f, 0.3f, 0.3f, 1.0f}, {0.6f, 0.6f, 0.6f, 1.0f}};
  static const GLfloat marking_color[4] = {1.0f, 1.0f, 0.0f, 0.0f};

  // An unreadable maze file leaves no rows: there is no field to draw, not even the door. The
  // mark material is still left current, as on every other return: the teapot shows in it.
  if (grid.empty() || grid[0].empty()) {
    std::vector<VECTORD> no_marks;
    draw_marking(no_marks);
    return 0;
  }

  const int n = static_cast<int>(grid[0].size());
  const double gx = CELL_SIZE * (n - 1);
  const double gz = CELL_SIZE * (n - 2);

  // Checkered floor, one batch. The tiles are offset half a cell from the wall blocks.
  glBegin(GL_QUADS);
  glNormal3d(0.0, 1.0, 0.0);
  for (int i = 0; i < n; ++i) {
    const double z0 = CELL_SIZE * i;
    const double z1 = CELL_SIZE * (i + 1);
    for (int j = 0; j < n; ++j) {
      const double x0 = CELL_SIZE * j;
      const double x1 = CELL_SIZE * (j + 1);
      set_material(ground[(i + j) % 2]);
      glVertex3d(x0, -0.5, z0);
      glVertex3d(x0, -0.5, z1);
      glVertex3d(x1, -0.5, z1);
      glVertex3d(x1, -0.5, z0);
    }
  }
  glEnd();

  // Walls keep the last floor material: tile (n-1, n-1) is always a dark one.
  glPushMatrix();
  glTranslated(0.0, 1.25, 0.0);
  for (const std::vector<char>& row : grid) {
    glPushMatrix();
    for (const char cell : row) {
      if (cell == '#') glutSolidCube(5.0);
      glTranslated(5.0, 0.0, 0.0);
    }
    glPopMatrix();
    glTranslated(0.0, 0.0, 5.0);
  }
  glPopMatrix();

  // Closes the entrance behind the starting player.
  cube_at(-2.0, 1.25, 5.0, 5.0);

  // Exit frame: two blocks flanking the exit cell, leaving a narrower opening.
  cube_at(gx, 1.25, gz - 5.0 / 1.2, 5.0);
  cube_at(gx, 1.25, gz + 5.0 / 1.2, 5.0);

  // Door knob, just in front of the door's face.
  glPushMatrix();
  glTranslated(gx - 5.0 / 1.8, 1.0, gz - 1.0);
  glutSolidSphere(0.1, 10, 10);
  glPopMatrix();

  // The yellow door filling the exit cell.
  set_material(marking_color);
  cube_at(gx, 1.25, gz, 5.0 / 1.1);

  draw_marking(markings);
  return 0;
}

// One green sphere per wall mark. Green stays current even with no marks.
int draw_marking(std::vector<VECTORD>& marking_vec) {
  static const GLfloat marking_color[4] = {0.0f, 1.0f, 0.0f, 1.0f};
  set_material(marking_color);
  for (const VECTORD& p : marking_vec) {
    glPushMatrix();
    glTranslated(p.x, p.y, p.z);
    glutSolidSphere(1.0, 10, 10);
    glPopMatrix();
  }
  return 0;
}

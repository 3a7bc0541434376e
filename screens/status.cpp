#include "screens/status.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/gamesystem.h"

void draw_info(Gamesystem* sys, int hp) {
  const int w = sys->width;
  const int h = sys->height;

  // One unit per pixel, pixel centres on whole numbers, origin top-left, y down.
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(-0.5, w - 0.5, h - 0.5, -0.5);

  // The model-view matrix is not saved: it is left the identity on purpose.
  glMatrixMode(GL_MODELVIEW);
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_LIGHTING);
  glLoadIdentity();

  // A 10-pixel line centred 5 pixels above the bottom fills the bottom 10 rows.
  glLineWidth(10.0f);
  glColor3f(1.0f, 0.0f, 0.0f);
  glBegin(GL_LINES);
  glVertex3d(0.0, h - 5, 0.0);
  glVertex3d(static_cast<double>(w) * static_cast<double>(hp) * 0.0001, h - 5, 0.0);
  glEnd();

  glPopAttrib();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

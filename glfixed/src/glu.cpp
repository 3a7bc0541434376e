// GLU's own arithmetic (in double, then handed to GL), so the matrices match libGLU's.
#include <GL/glu.h>

#include <cmath>

#include "internal.h"

namespace {

void mult_double(const double m[16]) {
  if (glfixed::refused_inside_begin()) return;  // as glMultMatrixd would be
  float f[16];
  for (int i = 0; i < 16; ++i) f[i] = static_cast<float>(m[i]);
  glfixed::mult_matrix(f);
}

}  // namespace

extern "C" void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  const double radians = fovy / 2 * 3.14159265358979323846 / 180;
  const double deltaZ = zFar - zNear;
  const double sine = std::sin(radians);
  if (deltaZ == 0 || sine == 0 || aspect == 0) return;
  const double cotangent = std::cos(radians) / sine;
  double m[16] = {};
  m[0] = cotangent / aspect;
  m[5] = cotangent;
  m[10] = -(zFar + zNear) / deltaZ;
  m[11] = -1;
  m[14] = -2 * zNear * zFar / deltaZ;
  mult_double(m);
}

extern "C" void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
  glOrtho(left, right, bottom, top, -1.0, 1.0);
}

// The matrix stacks and the calls that change them, in float as Mesa computes them.
#include <cmath>
#include <cstring>

#include "internal.h"

namespace glfixed {
namespace {

constexpr int kStackDepth = 32;  // GL asks for at least 32 model-view and 2 projection entries

// a * b, column-major, in float.
Mat multiply(const Mat& a, const float* b) {
  Mat p;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      p.m[j * 4 + i] = a.m[i] * b[j * 4] + a.m[4 + i] * b[j * 4 + 1] + a.m[8 + i] * b[j * 4 + 2] +
                       a.m[12 + i] * b[j * 4 + 3];
  return p;
}

int stack_index(GLenum mode) {
  return mode == GL_PROJECTION ? 1 : mode == GL_TEXTURE ? 2 : 0;
}

std::vector<Mat>& current_stack() {
  return st().stacks[stack_index(st().matrix_mode)];
}

void matrix_changed() {
  if (st().matrix_mode == GL_MODELVIEW) st().normal_matrix_dirty = true;
  st().mvp_dirty = true;
}

}  // namespace

Mat& top(GLenum mode) {
  return st().stacks[stack_index(mode)].back();
}

const float* mvp() {
  State& s = st();
  if (s.mvp_dirty) {
    s.mvp = multiply(top(GL_PROJECTION), top(GL_MODELVIEW).m);
    s.mvp_dirty = false;
  }
  return s.mvp.m;
}

// Inverse transpose of the model-view's upper 3 x 3, for normals.
const float* normal_matrix() {
  State& s = st();
  if (s.normal_matrix_dirty) {
    const float* m = top(GL_MODELVIEW).m;
    const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6],
                i = m[10];
    const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const float det = a * A + b * B + c * C;
    const float inv = det != 0.0f ? 1.0f / det : 0.0f;
    // The cofactor matrix over the determinant, stored column-major.
    const float r[9] = {A * inv, -(b * i - c * h) * inv, (b * f - c * e) * inv,
                        B * inv, (a * i - c * g) * inv,  -(a * f - c * d) * inv,
                        C * inv, -(a * h - b * g) * inv, (a * e - b * d) * inv};
    std::memcpy(s.normal_matrix, r, sizeof r);
    s.normal_matrix_dirty = false;
  }
  return s.normal_matrix;
}

void mult_matrix(const float m[16]) {
  Mat& t = current_stack().back();
  t = multiply(t, m);
  matrix_changed();
}

}  // namespace glfixed

using namespace glfixed;

extern "C" {

void glMatrixMode(GLenum mode) {
  if (refused_inside_begin()) return;
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  st().matrix_mode = mode;
}

void glLoadIdentity(void) {
  if (refused_inside_begin()) return;
  current_stack().back() = kIdentity;
  matrix_changed();
}

void glLoadMatrixf(const GLfloat* m) {
  if (refused_inside_begin()) return;
  std::memcpy(current_stack().back().m, m, sizeof(Mat::m));
  matrix_changed();
}

void glPushMatrix(void) {
  if (refused_inside_begin()) return;
  std::vector<Mat>& s = current_stack();
  if (static_cast<int>(s.size()) >= kStackDepth) {
    set_error(GL_STACK_OVERFLOW);
    return;
  }
  s.push_back(s.back());
}

void glPopMatrix(void) {
  if (refused_inside_begin()) return;
  std::vector<Mat>& s = current_stack();
  if (s.size() <= 1) {
    set_error(GL_STACK_UNDERFLOW);
    return;
  }
  s.pop_back();
  matrix_changed();
}

// As Mesa does it: the double arguments become float, and only the last column changes.
void glTranslated(GLdouble xd, GLdouble yd, GLdouble zd) {
  if (refused_inside_begin()) return;
  const float x = static_cast<float>(xd), y = static_cast<float>(yd), z = static_cast<float>(zd);
  float* m = current_stack().back().m;
  for (int k = 0; k < 4; ++k) m[12 + k] = m[k] * x + m[4 + k] * y + m[8 + k] * z + m[12 + k];
  matrix_changed();
}

// Mesa's rotation: sine and cosine in float of the float angle, a rotation about a single
// axis set up directly, any other axis normalised first.
void glRotated(GLdouble angle_d, GLdouble xd, GLdouble yd, GLdouble zd) {
  if (refused_inside_begin()) return;
  const float angle = static_cast<float>(angle_d);
  float x = static_cast<float>(xd), y = static_cast<float>(yd), z = static_cast<float>(zd);
  const float s = std::sin(static_cast<float>(angle * 3.14159265358979323846 / 180.0));
  const float c = std::cos(static_cast<float>(angle * 3.14159265358979323846 / 180.0));
  Mat r = kIdentity;
  auto M = [&](int row, int col) -> float& { return r.m[col * 4 + row]; };
  if (x == 0.0f && y == 0.0f && z != 0.0f) {
    M(0, 0) = c;
    M(1, 1) = c;
    M(0, 1) = z < 0.0f ? s : -s;
    M(1, 0) = z < 0.0f ? -s : s;
  } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
    M(0, 0) = c;
    M(2, 2) = c;
    M(0, 2) = y < 0.0f ? -s : s;
    M(2, 0) = y < 0.0f ? s : -s;
  } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
    M(1, 1) = c;
    M(2, 2) = c;
    M(1, 2) = x < 0.0f ? s : -s;
    M(2, 1) = x < 0.0f ? -s : s;
  } else {
    const float mag = std::sqrt(x * x + y * y + z * z);
    if (mag <= 1.0e-4f) return;
    x /= mag;
    y /= mag;
    z /= mag;
    const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
    const float xs = x * s, ys = y * s, zs = z * s, one_c = 1.0f - c;
    M(0, 0) = (one_c * xx) + c;
    M(0, 1) = (one_c * xy) - zs;
    M(0, 2) = (one_c * zx) + ys;
    M(1, 0) = (one_c * xy) + zs;
    M(1, 1) = (one_c * yy) + c;
    M(1, 2) = (one_c * yz) - xs;
    M(2, 0) = (one_c * zx) - ys;
    M(2, 1) = (one_c * yz) + xs;
    M(2, 2) = (one_c * zz) + c;
  }
  mult_matrix(r.m);
}

void glOrtho(GLdouble left_d, GLdouble right_d, GLdouble bottom_d, GLdouble top_d, GLdouble near_d,
             GLdouble far_d) {
  if (refused_inside_begin()) return;
  const float l = static_cast<float>(left_d), r = static_cast<float>(right_d);
  const float b = static_cast<float>(bottom_d), t = static_cast<float>(top_d);
  const float n = static_cast<float>(near_d), f = static_cast<float>(far_d);
  if (l == r || b == t || n == f) {
    set_error(GL_INVALID_VALUE);
    return;
  }
  Mat o = kIdentity;
  o.m[0] = 2.0f / (r - l);
  o.m[12] = -(r + l) / (r - l);
  o.m[5] = 2.0f / (t - b);
  o.m[13] = -(t + b) / (t - b);
  o.m[10] = -2.0f / (f - n);
  o.m[14] = -(f + n) / (f - n);
  mult_matrix(o.m);
}

}  // extern "C"

#include "maze/view_volume.h"

#include <algorithm>
#include <cmath>

namespace {

// World units kept in hand on every test: GL transforms in float, we test in double.
constexpr double kPlaneMargin = 0.01;

double m(const double* a, int row, int col) {
  return a[col * 4 + row];
}

}  // namespace

void View_volume::set(const double projection[16], const double modelview[16]) {
  double clip[4][4];  // rows of projection x modelview
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double s = 0.0;
      for (int k = 0; k < 4; ++k) s += m(projection, i, k) * m(modelview, k, j);
      clip[i][j] = s;
    }
  // -w <= x, y, z <= w: one plane per side, scaled to give distances in world units.
  for (int p = 0; p < 6; ++p) {
    const double sign = p % 2 == 0 ? 1.0 : -1.0;
    double len = 0.0;
    for (int j = 0; j < 4; ++j) {
      plane_[p][j] = clip[3][j] + sign * clip[p / 2][j];
      if (j < 3) len += plane_[p][j] * plane_[p][j];
    }
    len = std::sqrt(len);
    for (int j = 0; j < 4; ++j) plane_[p][j] = len > 0.0 ? plane_[p][j] / len : 0.0;
    if (len == 0.0) plane_[p][3] = 1.0;  // degenerate: rules nothing out
  }

  // A perspective projection looks from the eye-space origin: solve R e + t = 0 for it.
  has_eye_ = m(projection, 3, 0) == 0.0 && m(projection, 3, 1) == 0.0 &&
             m(projection, 3, 2) != 0.0 && m(projection, 3, 3) == 0.0 &&
             m(modelview, 3, 0) == 0.0 && m(modelview, 3, 1) == 0.0 && m(modelview, 3, 2) == 0.0 &&
             m(modelview, 3, 3) == 1.0;
  if (!has_eye_) return;
  const double a = m(modelview, 0, 0), b = m(modelview, 0, 1), c = m(modelview, 0, 2);
  const double d = m(modelview, 1, 0), e = m(modelview, 1, 1), f = m(modelview, 1, 2);
  const double g = m(modelview, 2, 0), h = m(modelview, 2, 1), k = m(modelview, 2, 2);
  const double t[3] = {-m(modelview, 0, 3), -m(modelview, 1, 3), -m(modelview, 2, 3)};
  const double det = a * (e * k - f * h) - b * (d * k - f * g) + c * (d * h - e * g);
  if (std::fabs(det) < 1e-12) {
    has_eye_ = false;
    return;
  }
  eye_[0] = (t[0] * (e * k - f * h) - b * (t[1] * k - f * t[2]) + c * (t[1] * h - e * t[2])) / det;
  eye_[1] = (a * (t[1] * k - f * t[2]) - t[0] * (d * k - f * g) + c * (d * t[2] - t[1] * g)) / det;
  eye_[2] = (a * (e * t[2] - t[1] * h) - b * (d * t[2] - t[1] * g) + t[0] * (d * h - e * g)) / det;
}

bool View_volume::may_see(double x0, double y0, double z0, double x1, double y1, double z1) const {
  for (const auto& p : plane_) {
    // The corner farthest along the plane's inward normal.
    const double x = p[0] > 0.0 ? x1 : x0;
    const double y = p[1] > 0.0 ? y1 : y0;
    const double z = p[2] > 0.0 ? z1 : z0;
    if (p[0] * x + p[1] * y + p[2] * z + p[3] < -kPlaneMargin) return false;
  }
  return true;
}

bool View_volume::eye(double* x, double* y, double* z) const {
  if (!has_eye_) return false;
  *x = eye_[0];
  *y = eye_[1];
  *z = eye_[2];
  return true;
}

Plan_box View_volume::near_box() const {
  Plan_box box;
  if (!has_eye_) return box;
  box = {eye_[0], eye_[2], eye_[0], eye_[2]};
  // The corners: where the near plane meets a side plane and the bottom or top plane.
  const double* n1 = plane_[4];
  for (const double* n2 : {plane_[0], plane_[1]})
    for (const double* n3 : {plane_[2], plane_[3]}) {
      const double* n[3] = {n1, n2, n3};
      double cross[3][3];  // n[i+1] x n[i+2]
      for (int i = 0; i < 3; ++i) {
        const double* a = n[(i + 1) % 3];
        const double* b = n[(i + 2) % 3];
        cross[i][0] = a[1] * b[2] - a[2] * b[1];
        cross[i][1] = a[2] * b[0] - a[0] * b[2];
        cross[i][2] = a[0] * b[1] - a[1] * b[0];
      }
      const double det = n1[0] * cross[0][0] + n1[1] * cross[0][1] + n1[2] * cross[0][2];
      if (std::fabs(det) < 1e-12) return {-1e9, -1e9, 1e9, 1e9};  // no corner: all of it
      double corner[3];
      for (int j = 0; j < 3; ++j)
        corner[j] = -(n[0][3] * cross[0][j] + n[1][3] * cross[1][j] + n[2][3] * cross[2][j]) / det;
      box.x0 = std::min(box.x0, corner[0]);
      box.x1 = std::max(box.x1, corner[0]);
      box.z0 = std::min(box.z0, corner[2]);
      box.z1 = std::max(box.z1, corner[2]);
    }
  return box;
}

#pragma once

// The view volume of a camera, for telling what it cannot see. Answers are conservative:
// "may see" may be wrong, "cannot see" never is.

// A rectangle in plan: x across, z along the maze rows. Empty while x0 > x1.
struct Plan_box {
  double x0 = 1.0, z0 = 1.0, x1 = 0.0, z1 = 0.0;
};

// The view volume of OpenGL column-major projection and model-view matrices.
class View_volume {
 public:
  void set(const double projection[16], const double modelview[16]);
  // False only when the box lies wholly outside one of the six clip planes.
  bool may_see(double x0, double y0, double z0, double x1, double y1, double z1) const;
  // The centre of projection in world space; false for a parallel projection.
  bool eye(double* x, double* y, double* z) const;
  // In plan, a box around the eye and the near rectangle: the near plane may cut open what
  // stands in it, and sight lines pass through the cut. Empty for a parallel projection.
  Plan_box near_box() const;

 private:
  double plane_[6][4] = {};
  double eye_[3] = {};
  bool has_eye_ = false;
};

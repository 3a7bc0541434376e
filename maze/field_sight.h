#pragma once

#include <utility>
#include <vector>

// What of the field a camera can see: its view volume and, for an eye below the wall tops,
// the maze cells that walls leave in sight. Both answers are conservative: "seen" may be
// wrong, "not seen" never is.

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

// The cells of a maze grid that can be seen, in plan, from an eye at wall height. Walls ('#')
// are squares of one cell centred on the cell reference points (5c, 5r); a cell counts as
// hidden when every sight line to it crosses a wall well inside the walls' outline.
class Grid_sight {
 public:
  // Every cell seen: what holds before the first compute and where nothing can be skipped.
  void see_all();
  // Walls meeting `open` hide nothing: the near plane may cut them open.
  void compute(const std::vector<std::vector<char>>& grid, double eye_x, double eye_z,
               const Plan_box& open = {});

  // Cells outside the grid count as seen.
  bool cell(int r, int c) const;
  // Whether any cell under the plan rectangle [x0, x1] x [z0, z1] is seen.
  bool area(double x0, double z0, double x1, double z1) const;
  int seen_count() const;

 private:
  // Union of closed angle intervals in [-pi, pi], sorted and disjoint.
  class Arcs {
   public:
    void clear() { arcs_.clear(); }
    void add(double lo, double hi);
    bool covers(double lo, double hi) const;
    bool full() const;

   private:
    void add_plain(double lo, double hi);
    bool covers_plain(double lo, double hi) const;
    std::vector<std::pair<double, double>> arcs_;
  };

  // A wall that hides what lies behind it.
  bool wall(int r, int c) const;
  // The angles, seen from the eye, that the square [x0, x1] x [z0, z1] spans.
  void span(double x0, double z0, double x1, double z1, double* lo, double* hi) const;

  const std::vector<std::vector<char>>* grid_ = nullptr;
  int open_r0_ = 0, open_r1_ = -1, open_c0_ = 0, open_c1_ = -1;  // cells of walls that hide nothing
  bool all_ = true;
  int size_ = 0;  // cells tracked: [0, size_) in both directions
  std::vector<char> seen_;
  double ex_ = 0.0, ez_ = 0.0;
  Arcs blocked_;
};

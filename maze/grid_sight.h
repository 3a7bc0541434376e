#pragma once

#include <utility>
#include <vector>

#include "maze/view_volume.h"  // Plan_box

// The cells of a maze grid that can be seen, in plan, from an eye at wall height. Walls ('#')
// are squares of one cell centred on the cell reference points (5c, 5r); a cell counts as
// hidden when every sight line to it crosses a wall well inside the walls' outline. Conservative:
// "seen" may be wrong, "hidden" never is.
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
  int rows_ = 0, cols_ = 0;  // cells tracked: rows [0, rows_), columns [0, cols_)
  std::vector<char> seen_;
  double ex_ = 0.0, ez_ = 0.0;
  Arcs blocked_;
};

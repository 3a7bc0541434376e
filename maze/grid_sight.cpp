#include "maze/grid_sight.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCell = 5.0;
constexpr double kHalf = 2.5;

// A sight line only counts as blocked when it passes this far inside a wall's outline, so a
// hidden thing is hidden by whole pixels, not by a rounding of the rasteriser.
constexpr double kEdge = 0.05;

// The angle from `ref` to `a`, in (-pi, pi].
double turn(double a, double ref) {
  double d = a - ref;
  if (d > kPi) d -= 2.0 * kPi;
  if (d <= -kPi) d += 2.0 * kPi;
  return d;
}

}  // namespace

void Grid_sight::Arcs::add(double lo, double hi) {
  if (lo <= hi) {
    add_plain(lo, hi);
  } else {  // across the cut at +-pi
    add_plain(lo, kPi);
    add_plain(-kPi, hi);
  }
}

bool Grid_sight::Arcs::covers(double lo, double hi) const {
  if (lo <= hi) return covers_plain(lo, hi);
  return covers_plain(lo, kPi) && covers_plain(-kPi, hi);
}

bool Grid_sight::Arcs::full() const {
  return arcs_.size() == 1 && arcs_[0].first <= -kPi && arcs_[0].second >= kPi;
}

void Grid_sight::Arcs::add_plain(double lo, double hi) {
  // Arcs before `first` end before lo; those from `first` to `last` touch [lo, hi].
  auto first =
      std::lower_bound(arcs_.begin(), arcs_.end(), lo,
                       [](const std::pair<double, double>& a, double v) { return a.second < v; });
  auto last = first;
  while (last != arcs_.end() && last->first <= hi) {
    lo = std::min(lo, last->first);
    hi = std::max(hi, last->second);
    ++last;
  }
  if (first == last) {
    arcs_.insert(first, {lo, hi});
  } else {
    *first = {lo, hi};
    arcs_.erase(first + 1, last);
  }
}

bool Grid_sight::Arcs::covers_plain(double lo, double hi) const {
  auto it =
      std::lower_bound(arcs_.begin(), arcs_.end(), lo,
                       [](const std::pair<double, double>& a, double v) { return a.second < v; });
  return it != arcs_.end() && it->first <= lo && it->second >= hi;
}

void Grid_sight::see_all() {
  all_ = true;
}

bool Grid_sight::wall(int r, int c) const {
  const auto& g = *grid_;
  return r >= 0 && c >= 0 && static_cast<size_t>(r) < g.size() &&
         static_cast<size_t>(c) < g[r].size() && g[r][c] == '#' &&
         !(r >= open_r0_ && r <= open_r1_ && c >= open_c0_ && c <= open_c1_);
}

void Grid_sight::span(double x0, double z0, double x1, double z1, double* lo, double* hi) const {
  const double ref = std::atan2((z0 + z1) / 2.0 - ez_, (x0 + x1) / 2.0 - ex_);
  const double xs[4] = {x0, x1, x0, x1};
  const double zs[4] = {z0, z0, z1, z1};
  double dmin = 0.0, dmax = 0.0;
  for (int i = 0; i < 4; ++i) {
    // Corner angles themselves are kept, so walls sharing a corner meet without a gap.
    const double a = std::atan2(zs[i] - ez_, xs[i] - ex_);
    const double d = turn(a, ref);
    if (i == 0 || d < dmin) {
      dmin = d;
      *lo = a;
    }
    if (i == 0 || d > dmax) {
      dmax = d;
      *hi = a;
    }
  }
}

void Grid_sight::compute(const std::vector<std::vector<char>>& grid, double eye_x, double eye_z,
                         const Plan_box& open) {
  grid_ = &grid;
  open_r0_ = open_c0_ = 0;
  open_r1_ = open_c1_ = -1;
  if (!(std::fabs(eye_x) < 1e6 && std::fabs(eye_z) < 1e6)) {  // also NaN: no cell to start from
    see_all();
    return;
  }
  ex_ = eye_x;
  ez_ = eye_z;
  size_t longest = 0;
  for (const auto& row : grid) longest = std::max(longest, row.size());
  // One cell more than the grid each way: floor tiles reach half a cell past the last wall
  // centre. Rows and columns apart, so the pass costs what the grid holds, whatever its shape.
  rows_ = static_cast<int>(grid.size()) + 1;
  cols_ = static_cast<int>(longest) + 1;
  seen_.assign(static_cast<size_t>(rows_) * cols_, 0);
  all_ = false;

  const int er = static_cast<int>(std::floor((ez_ + kHalf) / kCell));
  const int ec = static_cast<int>(std::floor((ex_ + kHalf) / kCell));
  // An eye in or against a wall would see its inside: nothing is ruled out then.
  for (int r = er - 1; r <= er + 1; ++r)
    for (int c = ec - 1; c <= ec + 1; ++c) {
      if (!wall(r, c)) continue;
      const double dx = std::max({kCell * c - kHalf - ex_, 0.0, ex_ - kCell * c - kHalf});
      const double dz = std::max({kCell * r - kHalf - ez_, 0.0, ez_ - kCell * r - kHalf});
      if (dx * dx + dz * dz < 4.0 * kEdge * kEdge) {
        see_all();
        return;
      }
    }

  // From here on, walls that meet the open box, kEdge in hand, hide nothing; a box reaching far
  // past the grid is cut down to it before the conversion.
  auto first = [&](double v, int cells) {
    return static_cast<int>(std::ceil(std::clamp((v - kEdge - kHalf) / kCell, -1.0, 1.0 + cells)));
  };
  auto last = [&](double v, int cells) {
    return static_cast<int>(std::floor(std::clamp((v + kEdge + kHalf) / kCell, -1.0, 1.0 + cells)));
  };
  if (open.x0 <= open.x1 && open.z0 <= open.z1) {
    open_c0_ = first(open.x0, cols_);
    open_c1_ = last(open.x1, cols_);
    open_r0_ = first(open.z0, rows_);
    open_r1_ = last(open.z1, rows_);
  }

  // A side is an outline edge unless another wall continues beyond it; a shared side seen
  // edge-on (the eye on its line) is treated as an outline too, as the faces meet there only
  // up to rounding.
  auto inner = [&](int r, int c, int dr, int dc, double line, double eye) {
    return wall(r + dr, c + dc) && std::fabs(line - eye) > kEdge;
  };

  const bool inside = er >= 0 && ec >= 0 && er < rows_ && ec < cols_;
  blocked_.clear();
  const int rings =
      std::max({std::abs(er), std::abs(rows_ - 1 - er), std::abs(ec), std::abs(cols_ - 1 - ec)});
  // Rings of cells around the eye's cell: along any sight line the ring number never falls,
  // so the walls of the inner rings are all that can stand between the eye and a cell.
  for (int k = 0; k <= rings; ++k) {
    if (blocked_.full()) break;  // every line of sight already ends at a wall
    const int c0 = std::max(ec - k, 0), c1 = std::min(ec + k, cols_ - 1);
    // The ring's top and bottom rows, then its two sides between them, each only where it
    // lies in the grid, so a grid far longer than wide costs no more than it holds.
    auto each = [&](auto&& visit) {
      for (int r : {er - k, er + k}) {
        if (r >= 0 && r < rows_)
          for (int c = c0; c <= c1; ++c) visit(r, c);
        if (k == 0) break;
      }
      for (int c : {ec - k, ec + k}) {
        if (c >= 0 && c < cols_)
          for (int r = std::max(er - k + 1, 0); r <= std::min(er + k - 1, rows_ - 1); ++r)
            visit(r, c);
        if (k == 0) break;
      }
    };
    bool ring_seen = false;
    each([&](int r, int c) {
      bool seen = true;
      if (k >= 2) {
        double lo, hi;
        span(kCell * c - kHalf - kEdge, kCell * r - kHalf - kEdge, kCell * c + kHalf + kEdge,
             kCell * r + kHalf + kEdge, &lo, &hi);
        seen = !blocked_.covers(lo, hi);
      }
      seen_[static_cast<size_t>(r) * cols_ + c] = seen;
      ring_seen = ring_seen || seen;
    });
    // A line of sight to a cell crosses every ring inside it, within the grid when the eye
    // is: a ring with nothing seen ends the search, though lines may still leave the grid.
    if (!ring_seen && inside) break;
    each([&](int r, int c) {
      if (!wall(r, c) || !seen_[static_cast<size_t>(r) * cols_ + c]) return;
      const double x0 = kCell * c - kHalf, x1 = kCell * c + kHalf;
      const double z0 = kCell * r - kHalf, z1 = kCell * r + kHalf;
      double lo, hi;
      span(inner(r, c, 0, -1, x0, ex_) ? x0 : x0 + kEdge,
           inner(r, c, -1, 0, z0, ez_) ? z0 : z0 + kEdge,
           inner(r, c, 0, 1, x1, ex_) ? x1 : x1 - kEdge,
           inner(r, c, 1, 0, z1, ez_) ? z1 : z1 - kEdge, &lo, &hi);
      blocked_.add(lo, hi);
    });
  }
}

bool Grid_sight::cell(int r, int c) const {
  if (all_ || r < 0 || c < 0 || r >= rows_ || c >= cols_) return true;
  return seen_[static_cast<size_t>(r) * cols_ + c] != 0;
}

bool Grid_sight::area(double x0, double z0, double x1, double z1) const {
  if (all_) return true;
  const int c0 = static_cast<int>(std::floor((x0 + kHalf) / kCell));
  const int c1 = static_cast<int>(std::floor((x1 + kHalf) / kCell));
  const int r0 = static_cast<int>(std::floor((z0 + kHalf) / kCell));
  const int r1 = static_cast<int>(std::floor((z1 + kHalf) / kCell));
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c)
      if (cell(r, c)) return true;
  return false;
}

int Grid_sight::seen_count() const {
  if (all_) return rows_ * cols_;
  return static_cast<int>(std::count(seen_.begin(), seen_.end(), 1));
}

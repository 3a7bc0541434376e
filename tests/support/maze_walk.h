#pragma once

#include <deque>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

#include "gfx/vectord.h"

inline bool operator==(const VECTORD& a, const VECTORD& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline void PrintTo(const VECTORD& v, std::ostream* out) {
  *out << "{" << v.x << ", " << v.y << ", " << v.z << "}";
}

// Walking the maze grid ('_' open): for the tests and the bench.
namespace playtest {

using Cell = std::pair<int, int>;  // row, column
using Grid = std::vector<std::vector<char>>;

// Reference point of row r, column c at eye height.
inline VECTORD cell(int r, int c) {
  return VECTORD{5.0 * c, 1.0, 5.0 * r};
}

// The heading (0 north, 1 east, 2 south, 3 west) of the step from `from` to its neighbour `to`.
inline int heading(Cell from, Cell to) {
  const int dr = to.first - from.first, dc = to.second - from.second;
  return dr < 0 ? 0 : dc > 0 ? 1 : dr > 0 ? 2 : 3;
}

// Shortest walk over open cells from `from` to the nearest cell other than `from` that
// `is_target` takes, both included (breadth-first); just {from} when none is reachable.
template <typename Target>
std::vector<Cell> shortest_path_to(const Grid& g, Cell from, Target is_target) {
  auto open = [&](Cell n) {
    const auto r = static_cast<size_t>(n.first), c = static_cast<size_t>(n.second);
    return r < g.size() && c < g[r].size() && g[r][c] == '_';
  };
  std::map<Cell, Cell> prev{{from, from}};
  for (std::deque<Cell> queue{from}; !queue.empty(); queue.pop_front()) {
    const Cell here = queue.front();
    if (here != from && is_target(here)) {
      std::vector<Cell> path{here};
      while (path[0] != from) path.insert(path.begin(), prev[path[0]]);
      return path;
    }
    const auto [r, c] = here;
    for (const Cell& n : {Cell{r - 1, c}, Cell{r, c + 1}, Cell{r + 1, c}, Cell{r, c - 1}})
      if (open(n) && prev.emplace(n, here).second) queue.push_back(n);
  }
  return {from};
}

inline std::vector<Cell> shortest_path(const Grid& g, Cell from, Cell to) {
  return shortest_path_to(g, from, [&](Cell c) { return c == to; });
}

}  // namespace playtest

#pragma once

#include <GL/freeglut.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "app/gamesystem.h"
#include "app/state.h"
#include "maze/vorna_field.h"
#include "objects/field_object.h"
#include "screens/play_state.h"
#include "support/gl_window.h"

// In-process driver for the play state: the real state table, the real field, ticks called by
// hand (no clock). Header-only so that each test program gets its own copy.
namespace playtest {

// The play state registered under PLAY, with a real window current and the game's GL state.
inline Play_State* play() {
  static Play_State* ps = [] {
    gltest::open_window(500, 500);
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    if (State::State_list.empty()) Create_StateInstance();
    auto* p = static_cast<Play_State*>(State::State_list[PLAY]);
    sys.current_state = p;
    p->resize(500, 500, &sys);
    return p;
  }();
  return ps;
}

inline void tick(Play_State* ps, int n = 1) {
  for (int i = 0; i < n; ++i) ps->timer(0, &sys);
}

inline int maze_size(const Play_State* ps) {
  return static_cast<int>(ps->field.grid.size());
}

// Reference point of row r, column c at eye height.
inline VECTORD cell(int r, int c) {
  return VECTORD{5.0 * c, 1.0, 5.0 * r};
}

inline void clear_items(Play_State* ps) {
  for (field_object* o : ps->field.item_list) delete o;
  ps->field.item_list.clear();
}

// Puts the idle player on a cell with a heading, the view settled.
inline void place(Play_State* ps, VECTORD pos, int heading) {
  ps->field.player_pos = pos;
  ps->direction = heading;
  ps->view_angle = heading;
  ps->anim_count = 0;
  ps->next_key = 0;
  ps->cur_key = 0;
  ps->overview = false;
}

using Cell = std::pair<int, int>;  // row, column

// Shortest walk over open cells from `from` to `to`, both included; empty when there is none.
inline std::vector<Cell> shortest_path(const std::vector<std::vector<char>>& grid, Cell from,
                                       Cell to) {
  const int h = static_cast<int>(grid.size());
  auto open = [&](int r, int c) {
    return r >= 0 && r < h && c >= 0 && c < static_cast<int>(grid[r].size()) && grid[r][c] == '_';
  };
  if (!open(from.first, from.second) || !open(to.first, to.second)) return {};
  std::vector<std::vector<Cell>> prev(h);
  for (int r = 0; r < h; ++r) prev[r].assign(grid[r].size(), Cell{-1, -1});
  std::deque<Cell> queue{from};
  prev[from.first][from.second] = from;
  while (!queue.empty()) {
    const auto [r, c] = queue.front();
    queue.pop_front();
    if (Cell{r, c} == to) break;
    const int dr[4] = {-1, 0, 1, 0}, dc[4] = {0, 1, 0, -1};
    for (int k = 0; k < 4; ++k) {
      const int nr = r + dr[k], nc = c + dc[k];
      if (!open(nr, nc) || prev[nr][nc].first != -1) continue;
      prev[nr][nc] = {r, c};
      queue.emplace_back(nr, nc);
    }
  }
  if (prev[to.first][to.second].first == -1) return {};
  std::vector<Cell> path{to};
  while (path.back() != from) path.push_back(prev[path.back().first][path.back().second]);
  return {path.rbegin(), path.rend()};
}

// From the entrance (row 1, column 0) to the exit (row H-2, column W-1).
inline std::vector<Cell> shortest_path(const std::vector<std::vector<char>>& grid) {
  if (grid.size() < 3) return {};
  const int h = static_cast<int>(grid.size());
  const int w = static_cast<int>(grid[0].size());
  return shortest_path(grid, Cell{1, 0}, Cell{h - 2, w - 1});
}

// Heading (index into Play_State::dir) of the step from cell a to its neighbour b.
inline int heading_between(Cell a, Cell b) {
  if (b.first < a.first) return 0;
  if (b.second > a.second) return 1;
  if (b.first > a.first) return 2;
  return 3;
}

}  // namespace playtest

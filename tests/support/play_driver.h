#pragma once

#include <GL/freeglut.h>

#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "app/gamesystem.h"
#include "app/state.h"
#include "objects/field_object.h"
#include "screens/play_state.h"
#include "support/gl_window.h"

inline bool operator==(const VECTORD& a, const VECTORD& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

// In-process driver for the play state: the real state table and field, ticks called by hand.
namespace playtest {

// The play state registered under PLAY, with a real window current and the game's GL state.
inline Play_State* play() {
  static Play_State* ps = [] {
    gltest::open_game_window(500, 500);
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

// A new stage without its items, so life points change only by the rules under test.
inline Play_State* fresh_stage() {
  Play_State* ps = play();
  ps->statetransfer_init(&sys);
  for (field_object* o : ps->field.item_list) delete o;
  ps->field.item_list.clear();
  return ps;
}

// Puts the idle player on a cell with a heading, the view settled.
inline void place(Play_State* ps, VECTORD pos, int heading) {
  ps->field.player_pos = pos;
  ps->view_angle = ps->direction = heading;
  ps->anim_count = ps->next_key = ps->cur_key = 0;
}

using Cell = std::pair<int, int>;  // row, column

// Shortest walk over open cells from `from` to `to`, both included (breadth-first).
inline std::vector<Cell> shortest_path(const std::vector<std::vector<char>>& g, Cell from,
                                       Cell to) {
  auto open = [&](Cell n) {
    const auto r = static_cast<size_t>(n.first), c = static_cast<size_t>(n.second);
    return r < g.size() && c < g[r].size() && g[r][c] == '_';
  };
  std::map<Cell, Cell> prev{{from, from}};
  for (std::deque<Cell> queue{from}; !queue.empty(); queue.pop_front()) {
    const auto [r, c] = queue.front();
    for (const Cell& n : {Cell{r - 1, c}, Cell{r, c + 1}, Cell{r + 1, c}, Cell{r, c - 1}})
      if (open(n) && prev.emplace(n, queue.front()).second) queue.push_back(n);
  }
  std::vector<Cell> path{to};
  while (path[0] != from && prev.count(path[0])) path.insert(path.begin(), prev[path[0]]);
  return path;
}

}  // namespace playtest

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

// Shortest walk over open cells from the entrance (row 1, column 0) to the exit (row H-2,
// column W-1), both included; empty when there is none.
inline std::vector<std::pair<int, int>> shortest_path(const std::vector<std::vector<char>>& grid) {
  const int h = static_cast<int>(grid.size());
  if (h < 3) return {};
  const int w = static_cast<int>(grid[0].size());
  auto open = [&](int r, int c) {
    return r >= 0 && r < h && c >= 0 && c < static_cast<int>(grid[r].size()) && grid[r][c] == '_';
  };
  const std::pair<int, int> start{1, 0}, goal{h - 2, w - 1};
  if (!open(start.first, start.second) || !open(goal.first, goal.second)) return {};
  std::vector<std::vector<std::pair<int, int>>> from(
      h, std::vector<std::pair<int, int>>(w, std::pair<int, int>{-1, -1}));
  std::deque<std::pair<int, int>> queue{start};
  from[1][0] = start;
  while (!queue.empty()) {
    const auto [r, c] = queue.front();
    queue.pop_front();
    if (std::make_pair(r, c) == goal) break;
    const int dr[4] = {-1, 0, 1, 0}, dc[4] = {0, 1, 0, -1};
    for (int k = 0; k < 4; ++k) {
      const int nr = r + dr[k], nc = c + dc[k];
      if (!open(nr, nc) || nc >= w || from[nr][nc].first != -1) continue;
      from[nr][nc] = {r, c};
      queue.emplace_back(nr, nc);
    }
  }
  if (from[goal.first][goal.second].first == -1) return {};
  std::vector<std::pair<int, int>> path{goal};
  while (path.back() != start) path.push_back(from[path.back().first][path.back().second]);
  return {path.rbegin(), path.rend()};
}

}  // namespace playtest

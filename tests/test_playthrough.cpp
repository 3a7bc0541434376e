// A scripted game from the title screen to the second stage, through the application object's
// forwards (the calls the toolkit callbacks make), ticks and frames called by hand.
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/play_driver.h"

using namespace playtest;

namespace {

using Cell = std::pair<int, int>;  // row, column

// Shortest walk over open cells from `from` to `to`, both included (breadth-first).
std::vector<Cell> shortest_path(const std::vector<std::vector<char>>& g, Cell from, Cell to) {
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

TEST(Playthrough, FromTheTitleThroughTheTeapotToTheSecondStage) {
  Play_State* ps = play();
  sys.current_state = State::State_list[MENU];
  sys.keyboard('s', 0, 0);
  ASSERT_EQ(sys.current_state, ps);
  ASSERT_EQ(maze_size(ps), 13);
  ASSERT_TRUE(glIsEnabled(GL_FOG));
  auto frame = [] {
    sys.timer(0);
    sys.display();
  };
  auto walk = [&](Cell from, Cell to) {
    const std::vector<Cell> path = shortest_path(ps->field.grid, from, to);
    ASSERT_EQ(path.front(), from);
    for (size_t i = 1; i < path.size(); ++i) {
      const int dr = path[i].first - path[i - 1].first, dc = path[i].second - path[i - 1].second;
      const int h = dr < 0 ? 0 : dc > 0 ? 1 : dr > 0 ? 2 : 3;
      for (int guard = 0; guard < 20 && (ps->direction != h || ps->anim_count != 0); ++guard) {
        if (ps->anim_count == 0)
          sys.sp_keyboard((h - ps->direction + 4) % 4 == 3 ? GLUT_KEY_LEFT : GLUT_KEY_RIGHT, 0, 0);
        frame();
      }
      sys.sp_keyboard(GLUT_KEY_UP, 0, 0);
      for (int t = 0; t < 4; ++t) frame();
    }
  };
  walk({1, 0}, {1, 11});  // the teapot in the top-right room
  EXPECT_EQ(ps->field.player_pos, cell(1, 11));
  EXPECT_FALSE(glIsEnabled(GL_FOG));  // only the teapot turns it off
  walk({1, 11}, {11, 12});            // onto the exit: the next stage at once
  EXPECT_EQ(maze_size(ps), 23);
  std::ifstream in("vorna.txt");
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line) && !line.empty();) rows.push_back(line);
  ASSERT_EQ(rows.size(), 23u);
  EXPECT_EQ(rows[0].size(), 23u);
  EXPECT_EQ(ps->field.player_pos, cell(1, 0));
}

}  // namespace

// Maze sizes over a run of set-ups. The size lives in a static of the stage set-up, so this
// program owns the whole sequence: its first set-up is the game's first.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/play_driver.h"

using playtest::maze_size;
using playtest::play;

namespace {

// Rows and row lengths of the maze file the last set-up wrote.
std::vector<std::string> maze_file_rows() {
  std::ifstream in("vorna.txt");
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) rows.push_back(line);
  return rows;
}

void expect_square(Play_State* ps, int n) {
  ASSERT_EQ(maze_size(ps), n);
  for (const auto& row : ps->field.grid) ASSERT_EQ(row.size(), static_cast<size_t>(n));
  const std::vector<std::string> rows = maze_file_rows();
  ASSERT_EQ(rows.size(), static_cast<size_t>(n));
  EXPECT_EQ(rows[0].size(), static_cast<size_t>(n));
}

TEST(PlaySizes, SetUpsGrowByTenAndHoldAtNinetyNine) {
  Play_State* ps = play();

  // Set-up 1: the game starts on 13.
  ps->statetransfer_init(&sys);
  expect_square(ps, 13);

  // Set-ups 2 and 3: a restart runs two set-ups, the first replaced at once: 20 larger.
  ps->hp = 0;
  ps->keyboard('r', 0, 0, &sys);
  EXPECT_EQ(ps->hp, 10000);
  expect_square(ps, 33);

  // Set-ups 4 to 9 by reaching the goal: 43 ... 93.
  for (int n = 43; n <= 93; n += 10) {
    ps->field.player_pos = playtest::cell(maze_size(ps) - 2, maze_size(ps) - 2);
    ps->direction = 1;
    ps->sp_keyboard(GLUT_KEY_UP, 0, 0);
    expect_square(ps, n);
  }

  // Set-up 10 would ask for 103: held at 99, and so are 11 (goal) and 12, 13 (restart).
  ps->field.player_pos = playtest::cell(91, 91);
  ps->direction = 1;
  ps->sp_keyboard(GLUT_KEY_UP, 0, 0);
  expect_square(ps, 99);
  ps->field.player_pos = playtest::cell(97, 97);
  ps->sp_keyboard(GLUT_KEY_UP, 0, 0);
  expect_square(ps, 99);
  ps->hp = -3;
  ps->keyboard(27, 0, 0, &sys);  // set-ups 12 and 13
  expect_square(ps, 99);
  EXPECT_EQ(ps->field.item_list.size(), 2u);

  // The biggest maze is still walkable from the entrance to the exit.
  EXPECT_FALSE(playtest::shortest_path(ps->field.grid).empty());
}

}  // namespace

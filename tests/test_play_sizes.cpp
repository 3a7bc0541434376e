// Maze sizes over thirteen set-ups. The size lives in a static of the stage set-up, so this
// program owns the whole sequence from the game's first set-up.
#include <gtest/gtest.h>

#include <vector>

#include "support/play_driver.h"

using namespace playtest;

TEST(PlaySizes, SetUpsGrowByTenAndHoldAtNinetyNine) {
  Play_State* ps = play();
  std::vector<int> seen;
  auto note = [&] {
    seen.push_back(maze_size(ps));
    EXPECT_EQ(static_cast<int>(ps->field.grid.back().size()), seen.back());
  };
  auto restart = [&] {  // two set-ups
    ps->hp = 0;
    ps->keyboard('r', 0, 0, &sys);
    note();
  };
  ps->statetransfer_init(&sys);
  note();
  restart();
  for (int i = 0; i < 8; ++i) {
    place(ps, cell(maze_size(ps) - 2, maze_size(ps) - 2), 1);
    ps->sp_keyboard(GLUT_KEY_UP, 0, 0);  // onto the goal
    note();
  }
  restart();
  EXPECT_EQ(seen, (std::vector<int>{13, 33, 43, 53, 63, 73, 83, 93, 99, 99, 99}));
}

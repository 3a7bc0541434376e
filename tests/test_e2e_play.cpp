// The real binary played through real X input: start a stage from the title, step, turn to a
// wall, mark it, look from above, quit.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/game_process.h"

namespace {

TEST(E2ePlay, StageStepTurnMarkOverheadAndQuit) {
  const std::string dir = e2e::make_workdir("play");
  e2e::Game game(dir);
  ASSERT_NE(game.window(30.0), 0UL) << game.err();
  ASSERT_FALSE(std::ifstream(dir + "/vorna.txt"));
  gltest::Frame last;
  ASSERT_NO_FATAL_FAILURE(e2e::play_opening(game, 20.0, 100, &last));

  // The first stage wrote a 13 x 13 maze: a room ahead of the entrance, a wall north of it.
  std::ifstream in(dir + "/vorna.txt");
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line) && !line.empty();) rows.push_back(line);
  ASSERT_EQ(rows.size(), 13u);
  for (const std::string& r : rows) EXPECT_EQ(r.size(), 13u);
  EXPECT_EQ(rows[1].substr(0, 2) + rows[0][1], "__#");

  // 'b': 5 above the wall top, the centre looks over it at the background beyond the maze.
  game.key("b");
  EXPECT_TRUE(e2e::wait_for_frame(
      game, [](auto& f) { return f.count(200, 150, 300, 250, gltest::is_white) > 9000; }, 20.0, 100,
      &last));
  game.key("q");
  EXPECT_EQ(game.wait_exit(30.0), 0) << game.err();
}

}  // namespace

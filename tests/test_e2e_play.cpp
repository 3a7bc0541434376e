// The real binary played through real X input: start a stage from the title, step, turn to a
// wall, mark it, look from above, quit.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/scripted_play.h"

namespace {

TEST(E2ePlay, StageStepTurnMarkOverheadAndQuit) {
  const std::string dir = e2e::make_workdir("play");
  e2e::Game game(dir);
  ASSERT_NE(game.window(30.0), 0UL) << game.err();
  e2e::ScriptedPlay play(game, 20.0, 100);
  ASSERT_FALSE(std::ifstream(dir + "/vorna.txt"));
  ASSERT_TRUE(play.title());

  // The first stage in first person: no background in the lower half, a 13 x 13 maze written.
  ASSERT_TRUE(play.start_stage());
  std::ifstream in(dir + "/vorna.txt");
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line) && !line.empty();) rows.push_back(line);
  ASSERT_EQ(rows.size(), 13u);
  for (const std::string& r : rows) EXPECT_EQ(r.size(), 13u);
  ASSERT_EQ(rows[1].substr(0, 2) + rows[0][1], "__#");  // a room ahead, a wall north of it

  // Up into room (1, 1); Left: facing row 0, a wall 2.5 ahead fills the centre; a click marks it.
  EXPECT_TRUE(play.step_in());
  ASSERT_TRUE(play.face_wall());
  EXPECT_EQ(play.last().count(0, 0, 500, 488, e2e::is_green), 0);
  EXPECT_TRUE(play.mark_wall());

  // 'b': 5 above the wall top, the centre looks over it at the background beyond the maze.
  game.key("b");
  EXPECT_TRUE(play.wait_for(
      [](const gltest::Frame& f) { return f.count(200, 150, 300, 250, gltest::is_white) > 9000; }));
  game.key("q");
  EXPECT_EQ(game.wait_exit(30.0), 0) << game.err();
}

}  // namespace

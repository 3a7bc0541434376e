// The real binary played through real X input: start a stage from the title, step, turn to a
// wall, mark it, look from above, quit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/game_process.h"

namespace {

using gltest::differing;
using gltest::Frame;
using gltest::is_white;

TEST(E2ePlay, StageStepTurnMarkOverheadAndQuit) {
  const std::string dir = e2e::make_workdir("play");
  e2e::Game game(dir);
  ASSERT_NE(game.window(30.0), 0UL) << game.err();
  auto is_green = [](gltest::Rgb c) { return c[1] > c[0] + 60 && c[1] > c[2] + 60; };
  // The dark grey wall a few units ahead, tinted by the blue fog; never the white background.
  auto is_wall_shade = [](gltest::Rgb c) { return c[0] < 80 && c[0] == c[1] && c[2] < 110; };
  Frame last;  // the last whole screenshot taken
  // Screenshots until `pred` holds, for a bounded while.
  auto wait_for = [&](auto pred) {
    for (int i = 0; i < 150; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
      const Frame f = game.screenshot();
      if (f.width == 500 && f.height == 500 && pred(last = f)) return true;
    }
    return false;
  };
  ASSERT_FALSE(std::ifstream(dir + "/vorna.txt"));
  ASSERT_TRUE(wait_for([&](auto& f) { return f.count(0, 0, 500, 500, is_white) > 500 * 250; }));
  game.key("s");

  // The first stage in first person: no background in the lower half, a 13 x 13 maze written.
  ASSERT_TRUE(wait_for([&](auto& f) { return f.count(0, 250, 500, 480, is_white) == 0; }));
  const Frame start = last;
  std::ifstream in(dir + "/vorna.txt");
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line) && !line.empty();) rows.push_back(line);
  ASSERT_EQ(rows.size(), 13u);
  for (const std::string& r : rows) EXPECT_EQ(r.size(), 13u);
  ASSERT_EQ(rows[1].substr(0, 2) + rows[0][1], "__#");  // a room ahead, a wall north of it

  // Up: one step into room (1, 1); the picture changes by far more than the spinning items do.
  const int idle = differing(start, game.screenshot());
  game.key("Up");
  EXPECT_TRUE(wait_for([&](auto& f) { return differing(start, f) > 10000 + 4 * idle; }));

  // Left: facing row 0, a wall 2.5 ahead fills the centre; a click marks it green.
  game.key("Left");
  ASSERT_TRUE(
      wait_for([&](auto& f) { return f.count(200, 200, 300, 300, is_wall_shade) == 10000; }));
  EXPECT_EQ(last.count(0, 0, 500, 488, is_green), 0);
  game.click(250, 250);
  EXPECT_TRUE(wait_for([&](auto& f) { return f.count(200, 200, 300, 300, is_green) > 1000; }));

  // 'b': 5 above the wall top, the centre looks over it at the background beyond the maze.
  game.key("b");
  EXPECT_TRUE(wait_for([&](auto& f) { return f.count(200, 150, 300, 250, is_white) > 9000; }));
  game.key("q");
  EXPECT_EQ(game.wait_exit(30.0), 0) << game.err();
}

}  // namespace

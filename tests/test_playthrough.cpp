// A scripted game from the title screen to the second stage, through the application object's
// forwards (the calls the toolkit callbacks make), ticks and frames called by hand.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/play_driver.h"

using namespace playtest;

namespace {

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
      const int h = heading(path[i - 1], path[i]);
      for (int guard = 0; guard < 20 && (ps->direction != h || ps->anim_count != 0); ++guard) {
        if (ps->anim_count == 0) sys.sp_keyboard(key_towards(ps, h), 0, 0);
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

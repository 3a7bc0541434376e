// A scripted game from the title screen to the second stage, through the application object's
// forwards (the same calls the toolkit callbacks make), ticks and frames called by hand.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "objects/items.h"
#include "support/play_driver.h"

using playtest::Cell;

namespace {

struct Walker {
  Play_State* ps;
  int ticks = 0;
  int steps = 0;
  int hp_before_up = 0;  // life points just before the last UP press

  void tick() {
    sys.timer(0);
    sys.display();
    ++ticks;
  }
  void settle() {
    while (ps->anim_count != 0) tick();
  }
  void key(int k) { sys.sp_keyboard(k, 0, 0); }

  // Turns to face the neighbour `to`, then steps onto it.
  void step(Cell from, Cell to) {
    const int h = playtest::heading_between(from, to);
    while (ps->direction != h) {
      key((h - ps->direction + 4) % 4 == 3 ? GLUT_KEY_LEFT : GLUT_KEY_RIGHT);
      settle();
    }
    hp_before_up = ps->hp;
    key(GLUT_KEY_UP);
    if (ps->anim_count == 4) {
      ++steps;
      EXPECT_EQ(ps->hp, hp_before_up - 10);
    }
    settle();
  }

  void walk(const std::vector<Cell>& path) {
    for (std::size_t i = 1; i < path.size(); ++i) {
      step(path[i - 1], path[i]);
      if (::testing::Test::HasFailure()) return;
    }
  }
};

template <typename T>
bool holds(const Play_State* ps) {
  for (field_object* o : ps->field.item_list)
    if (dynamic_cast<T*>(o) != nullptr) return true;
  return false;
}

std::vector<std::string> maze_file_rows() {
  std::ifstream in("vorna.txt");
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) rows.push_back(line);
  return rows;
}

TEST(Playthrough, FromTheTitleThroughTheTeapotToTheSecondStage) {
  Play_State* ps = playtest::play();
  sys.current_state = State::State_list[MENU];
  sys.keyboard('s', 0, 0);
  ASSERT_EQ(sys.current_state, ps);
  ASSERT_EQ(playtest::maze_size(ps), 13);
  EXPECT_EQ(maze_file_rows().size(), 13u);
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  EXPECT_TRUE(holds<Item_teapod>(ps));

  const auto& grid = ps->field.grid;
  const Cell entrance{1, 0}, teapot{1, 11}, exit_cell{11, 12};
  const auto to_teapot = playtest::shortest_path(grid, entrance, teapot);
  const auto to_exit = playtest::shortest_path(grid, teapot, exit_cell);
  ASSERT_FALSE(to_teapot.empty());
  ASSERT_FALSE(to_exit.empty());

  Walker w{ps};
  w.walk(to_teapot);
  ASSERT_FALSE(::testing::Test::HasFailure());
  EXPECT_EQ(ps->field.player_pos.x, 55.0);
  EXPECT_EQ(ps->field.player_pos.z, 5.0);
  EXPECT_FALSE(holds<Item_teapod>(ps));
  EXPECT_FALSE(glIsEnabled(GL_FOG));

  // All but the last step of the way to the exit.
  w.walk(std::vector<Cell>(to_exit.begin(), to_exit.end() - 1));
  ASSERT_FALSE(::testing::Test::HasFailure());
  EXPECT_EQ(playtest::maze_size(ps), 13);
  const bool life_taken = !holds<Item_Life>(ps);
  EXPECT_EQ(ps->hp, 10000 - 10 * w.steps - w.ticks + (life_taken ? 5000 : 0));

  // The last step: onto the exit, straight into the next stage, free of charge.
  w.step(to_exit[to_exit.size() - 2], exit_cell);
  EXPECT_EQ(ps->hp, w.hp_before_up);
  EXPECT_EQ(playtest::maze_size(ps), 23);
  for (const auto& row : ps->field.grid) EXPECT_EQ(row.size(), 23u);
  const auto rows = maze_file_rows();
  ASSERT_EQ(rows.size(), 23u);
  EXPECT_EQ(rows[0].size(), 23u);
  EXPECT_EQ(ps->field.player_pos.x, 0.0);
  EXPECT_EQ(ps->field.player_pos.z, 5.0);
  EXPECT_EQ(ps->direction, 1);
  EXPECT_TRUE(glIsEnabled(GL_FOG));  // back for the new stage
  EXPECT_TRUE(holds<Item_teapod>(ps));

  // The new stage is walkable too: the first step into it.
  w.step(entrance, Cell{1, 1});
  EXPECT_EQ(ps->field.player_pos.x, 5.0);
}

}  // namespace

// The play state driven in-process on a real field: handlers and ticks called directly.
// Maze sizes grow with every set-up in this program, so sizes are checked relative to the grid
// observed before the set-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "objects/items.h"
#include "sound/sound_effect.h"
#include "support/play_driver.h"

using playtest::cell;
using playtest::clear_items;
using playtest::maze_size;
using playtest::place;
using playtest::play;
using playtest::tick;

namespace {

constexpr int UP = GLUT_KEY_UP;
constexpr int DOWN = GLUT_KEY_DOWN;
constexpr int LEFT = GLUT_KEY_LEFT;
constexpr int RIGHT = GLUT_KEY_RIGHT;

std::vector<std::string> g_sounds;
void record_sound(const char* wav) {
  g_sounds.emplace_back(wav);
}

int next_size(int current) {
  return std::min(current + 10, 99);
}

// A fresh stage without the items, so life points change only by the rules under test.
Play_State* fresh_stage() {
  Play_State* ps = play();
  ps->statetransfer_init(&sys);
  clear_items(ps);
  return ps;
}

// A heading whose neighbour of room (1, 1) is open; every maze has one.
int open_heading_from_first_room(Play_State* ps) {
  for (int h = 0; h < 4; ++h)
    if (ps->field.move_enable(cell(1, 1) + Play_State::dir[h])) return h;
  ADD_FAILURE() << "room (1, 1) is closed in";
  return 1;
}

TEST(PlayState, StageSetUpStartsAtTheEntranceFacingIntoTheMaze) {
  Play_State* ps = play();
  ps->hp = 3;
  ps->overview = true;
  ps->statetransfer_init(&sys);
  EXPECT_EQ(ps->hp, 10000);
  EXPECT_EQ(ps->field.player_pos.x, 0.0);
  EXPECT_EQ(ps->field.player_pos.y, 1.0);
  EXPECT_EQ(ps->field.player_pos.z, 5.0);
  EXPECT_EQ(ps->direction, 1);
  EXPECT_EQ(ps->view_angle, 1.0);
  EXPECT_EQ(ps->cur_key, 0);
  EXPECT_EQ(ps->next_key, 0);
  EXPECT_EQ(ps->anim_count, 0);
  EXPECT_FALSE(ps->overview);
  EXPECT_EQ(ps->field.item_list.size(), 2u);
  // Fog on, exponential, density 0.125, dark blue.
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  GLint mode = 0;
  glGetIntegerv(GL_FOG_MODE, &mode);
  EXPECT_EQ(mode, GL_EXP);
  GLfloat density = 0, color[4] = {};
  glGetFloatv(GL_FOG_DENSITY, &density);
  glGetFloatv(GL_FOG_COLOR, color);
  EXPECT_FLOAT_EQ(density, 0.125f);
  EXPECT_FLOAT_EQ(color[0], 0.2f);
  EXPECT_FLOAT_EQ(color[1], 0.2f);
  EXPECT_FLOAT_EQ(color[2], 0.5f);
  EXPECT_FLOAT_EQ(color[3], 1.0f);
}

TEST(PlayState, StepMovesAQuarterCellPerTickAndCostsTenOnce) {
  Play_State* ps = fresh_stage();
  ps->sp_keyboard(UP, 0, 0);  // (1, 1) is always a room
  EXPECT_EQ(ps->anim_count, 4);
  EXPECT_EQ(ps->hp, 9990);
  EXPECT_EQ(ps->cur_key, UP);
  EXPECT_EQ(ps->field.player_pos.x, 0.0);  // the ticks move the eye, not the key
  for (int i = 1; i <= 4; ++i) {
    tick(ps);
    EXPECT_DOUBLE_EQ(ps->field.player_pos.x, 1.25 * i);
    EXPECT_EQ(ps->field.player_pos.z, 5.0);
    EXPECT_EQ(ps->anim_count, 4 - i);
    EXPECT_EQ(ps->hp, 9990 - i);
  }
  EXPECT_EQ(ps->field.player_pos.x, 5.0);

  // A backward step from a neighbour of (1, 1) back into it.
  const int h = open_heading_from_first_room(ps);
  const VECTORD from = cell(1, 1) + Play_State::dir[h];
  place(ps, from, h);
  ps->sp_keyboard(DOWN, 0, 0);
  EXPECT_EQ(ps->hp, 9976);
  for (int i = 1; i <= 4; ++i) {
    tick(ps);
    const VECTORD expect = from - Play_State::dir[h] * VECTORD{0.25 * i, 0.25 * i, 0.25 * i};
    EXPECT_DOUBLE_EQ(ps->field.player_pos.x, expect.x);
    EXPECT_DOUBLE_EQ(ps->field.player_pos.z, expect.z);
  }
  EXPECT_EQ(ps->field.player_pos.x, 5.0);
  EXPECT_EQ(ps->field.player_pos.z, 5.0);
  EXPECT_EQ(ps->hp, 9972);
}

TEST(PlayState, TurnTakesFourTicksOfAQuarterQuarterTurnAndCostsNothing) {
  Play_State* ps = fresh_stage();
  ps->sp_keyboard(RIGHT, 0, 0);
  EXPECT_EQ(ps->direction, 2);
  EXPECT_EQ(ps->hp, 10000);
  const double expected[4] = {1.25, 1.5, 1.75, 2.0};
  for (double e : expected) {
    tick(ps);
    EXPECT_DOUBLE_EQ(ps->view_angle, e);  // 22.5 degrees per tick
  }
  EXPECT_EQ(ps->anim_count, 0);
  EXPECT_EQ(ps->hp, 9996);

  // Right from heading 3 runs up to 4.0 and the idle tick brings it to 0.
  place(ps, cell(1, 0), 3);
  ps->sp_keyboard(RIGHT, 0, 0);
  EXPECT_EQ(ps->direction, 0);
  tick(ps, 4);
  EXPECT_DOUBLE_EQ(ps->view_angle, 4.0);
  tick(ps);
  EXPECT_EQ(ps->view_angle, 0.0);

  // Left turns from heading 0 go below zero; the idle tick sets 3.0.
  place(ps, cell(1, 0), 0);
  ps->sp_keyboard(LEFT, 0, 0);
  EXPECT_EQ(ps->direction, 3);
  tick(ps, 4);
  EXPECT_DOUBLE_EQ(ps->view_angle, -1.0);
  tick(ps);
  EXPECT_EQ(ps->view_angle, 3.0);
}

TEST(PlayState, KeyQueueDuringAnimation) {
  Play_State* ps = fresh_stage();
  ps->sp_keyboard(UP, 0, 0);
  // Auto-repeats of the animated key are dropped.
  ps->sp_keyboard(UP, 0, 0);
  EXPECT_EQ(ps->next_key, 0);
  EXPECT_EQ(ps->hp, 9990);
  // Three different keys: only the last stays; a non-arrow key is dropped.
  ps->sp_keyboard(LEFT, 0, 0);
  ps->sp_keyboard(DOWN, 0, 0);
  ps->sp_keyboard(RIGHT, 0, 0);
  ps->sp_keyboard(GLUT_KEY_F1, 0, 0);
  EXPECT_EQ(ps->next_key, RIGHT);
  EXPECT_EQ(ps->cur_key, UP);
  EXPECT_EQ(ps->direction, 1);
  tick(ps, 3);
  EXPECT_EQ(ps->anim_count, 1);
  // The tick that ends the step starts the queued turn at once.
  tick(ps);
  EXPECT_EQ(ps->field.player_pos.x, 5.0);
  EXPECT_EQ(ps->cur_key, RIGHT);
  EXPECT_EQ(ps->next_key, 0);
  EXPECT_EQ(ps->anim_count, 4);
  EXPECT_EQ(ps->direction, 2);
  EXPECT_EQ(ps->view_angle, 1.0);
  tick(ps);
  EXPECT_EQ(ps->view_angle, 1.25);
  // Repeats of the new key are dropped, the old one may be queued again.
  ps->sp_keyboard(RIGHT, 0, 0);
  EXPECT_EQ(ps->next_key, 0);
  ps->sp_keyboard(UP, 0, 0);
  EXPECT_EQ(ps->next_key, UP);
  EXPECT_EQ(ps->hp, 9990 - 5);
}

TEST(PlayState, QueuedStepAfterATurnTestsTheNewHeading) {
  Play_State* ps = fresh_stage();
  // From room (1, 1), find a heading h whose neighbour is open: turn left into it from h + 1.
  int open_heading = -1, blocked_heading = -1;
  for (int h = 0; h < 4; ++h) {
    const VECTORD n = cell(1, 1) + Play_State::dir[h];
    (ps->field.move_enable(n) ? open_heading : blocked_heading) = h;
  }
  ASSERT_NE(open_heading, -1);
  ASSERT_NE(blocked_heading, -1);  // row 0 above is wall

  place(ps, cell(1, 1), (open_heading + 1) % 4);
  ps->hp = 5000;
  ps->sp_keyboard(LEFT, 0, 0);
  ps->sp_keyboard(UP, 0, 0);
  EXPECT_EQ(ps->next_key, UP);
  tick(ps, 3);
  EXPECT_EQ(ps->anim_count, 1);
  tick(ps);  // ends the turn and starts the step in the same tick
  EXPECT_EQ(ps->direction, open_heading);
  EXPECT_EQ(ps->cur_key, UP);
  EXPECT_EQ(ps->anim_count, 4);
  EXPECT_EQ(ps->hp, 5000 - 4 - 10);
  tick(ps, 4);
  const VECTORD target = cell(1, 1) + Play_State::dir[open_heading];
  EXPECT_EQ(ps->field.player_pos.x, target.x);
  EXPECT_EQ(ps->field.player_pos.z, target.z);

  // Turning towards the wall instead: the queued step is refused, free, but becomes cur_key.
  place(ps, cell(1, 1), (blocked_heading + 1) % 4);
  ps->hp = 5000;
  ps->sp_keyboard(LEFT, 0, 0);
  ps->sp_keyboard(UP, 0, 0);
  tick(ps, 4);
  EXPECT_EQ(ps->direction, blocked_heading);
  EXPECT_EQ(ps->cur_key, UP);
  EXPECT_EQ(ps->anim_count, 0);
  EXPECT_EQ(ps->hp, 5000 - 4);
  EXPECT_EQ(ps->field.player_pos.x, 5.0);
  EXPECT_EQ(ps->field.player_pos.z, 5.0);
}

TEST(PlayState, BlockedStepCostsNothingButBecomesCurKey) {
  Play_State* ps = fresh_stage();
  ps->sp_keyboard(DOWN, 0, 0);  // behind the start: the entrance block
  EXPECT_EQ(ps->anim_count, 0);
  EXPECT_EQ(ps->hp, 10000);
  EXPECT_EQ(ps->cur_key, DOWN);
  ps->sp_keyboard(GLUT_KEY_F2, 0, 0);  // any special key becomes cur_key when idle
  EXPECT_EQ(ps->cur_key, GLUT_KEY_F2);
  tick(ps);
  EXPECT_EQ(ps->field.player_pos.x, 0.0);
  EXPECT_EQ(ps->hp, 9999);

  place(ps, cell(1, 1), 0);  // row 0 ahead
  ps->sp_keyboard(UP, 0, 0);
  EXPECT_EQ(ps->anim_count, 0);
  EXPECT_EQ(ps->hp, 9999);
  EXPECT_EQ(ps->cur_key, UP);
}

TEST(PlayState, OverheadViewCostsAndRules) {
  Play_State* ps = fresh_stage();
  tick(ps);  // idle: view_angle = 1
  ps->hp = 500;
  ps->keyboard('b', 0, 0, &sys);
  EXPECT_FALSE(ps->overview);
  EXPECT_EQ(ps->hp, 500);
  EXPECT_EQ(ps->field.player_pos.y, 1.0);
  ps->keyboard('B', 0, 0, &sys);
  EXPECT_FALSE(ps->overview);

  ps->hp = 501;
  ps->keyboard('b', 0, 0, &sys);
  EXPECT_TRUE(ps->overview);
  EXPECT_EQ(ps->hp, 1);
  EXPECT_EQ(ps->field.player_pos.y, 6.0);
  EXPECT_EQ(ps->overview_angle, 90.0);

  // Arrows turn the overhead view; cur_key stays.
  ps->sp_keyboard(LEFT, 0, 0);
  ps->sp_keyboard(LEFT, 0, 0);
  ps->sp_keyboard(RIGHT, 0, 0);
  EXPECT_EQ(ps->overview_angle, 80.0);
  EXPECT_EQ(ps->cur_key, 0);
  EXPECT_EQ(ps->anim_count, 0);
  EXPECT_EQ(ps->direction, 1);

  // Each further 'b' raises another 5 and keeps the yaw.
  ps->hp = 2000;
  ps->keyboard('b', 0, 0, &sys);
  EXPECT_EQ(ps->field.player_pos.y, 11.0);
  EXPECT_EQ(ps->hp, 1500);
  EXPECT_EQ(ps->overview_angle, 80.0);

  // An item right under the raised eye cannot be touched.
  ps->field.item_list.push_back(new Item_Life(VECTORD{0.0, 1.25, 5.0}));
  tick(ps, 3);
  EXPECT_EQ(ps->field.item_list.size(), 1u);
  EXPECT_EQ(ps->hp, 1497);

  // UP leaves the overhead view without a step; then the item is picked up.
  ps->sp_keyboard(UP, 0, 0);
  EXPECT_FALSE(ps->overview);
  EXPECT_EQ(ps->field.player_pos.y, 1.0);
  EXPECT_EQ(ps->field.player_pos.x, 0.0);
  EXPECT_EQ(ps->anim_count, 0);
  EXPECT_EQ(ps->hp, 1497);
  tick(ps);
  EXPECT_TRUE(ps->field.item_list.empty());
  EXPECT_EQ(ps->hp, 1497 + 5000 - 1);

  // DOWN leaves it too; a turn queued before 'b' is handled as an overhead control.
  ps->hp = 5000;
  ps->sp_keyboard(RIGHT, 0, 0);
  ps->sp_keyboard(LEFT, 0, 0);  // queued
  ps->keyboard('b', 0, 0, &sys);
  const double yaw = ps->overview_angle;
  EXPECT_EQ(yaw, ps->view_angle * 90.0);
  tick(ps, 4);  // the turn runs on to its end
  EXPECT_EQ(ps->direction, 2);
  EXPECT_EQ(ps->overview_angle, yaw - 10.0);
  EXPECT_EQ(ps->cur_key, LEFT);
  ps->sp_keyboard(DOWN, 0, 0);
  EXPECT_FALSE(ps->overview);
  EXPECT_EQ(ps->field.player_pos.y, 1.0);
  EXPECT_EQ(ps->field.player_pos.x, 0.0);
}

TEST(PlayState, TickMovesItemsAndPicksUpTouchedOnes) {
  Play_State* ps = fresh_stage();
  auto* far_item = new Item_Life(VECTORD{50.0, 1.25, 50.0});
  ps->field.item_list.push_back(new Item_Life(VECTORD{5.0, 1.25, 5.0}));
  ps->field.item_list.push_back(far_item);
  ps->hp = 100;
  ps->sp_keyboard(UP, 0, 0);  // hp 90
  tick(ps);                   // x 1.25: 3.76 away
  tick(ps);                   // x 2.5: 2.51 away
  EXPECT_EQ(ps->field.item_list.size(), 2u);
  EXPECT_EQ(far_item->angle, 4.0);
  tick(ps);  // x 3.75: touched
  ASSERT_EQ(ps->field.item_list.size(), 1u);
  EXPECT_EQ(ps->field.item_list.front(), far_item);
  EXPECT_EQ(far_item->angle, 6.0);
  EXPECT_EQ(ps->hp, 90 - 3 + 5000);
}

TEST(PlayState, MarksGoOnTheWallAheadOnly) {
  Play_State* ps = fresh_stage();
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 250, 250, &sys);  // facing the open room (1, 1)
  EXPECT_TRUE(ps->field.markings.empty());

  place(ps, cell(1, 1), 0);  // row 0 ahead
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_UP, 250, 250, &sys);
  ps->mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 250, 250, &sys);
  EXPECT_TRUE(ps->field.markings.empty());
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 250, 250, &sys);
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10, &sys);
  ASSERT_EQ(ps->field.markings.size(), 2u);  // duplicates kept
  for (const VECTORD& m : ps->field.markings) {
    EXPECT_EQ(m.x, 5.0);
    EXPECT_EQ(m.y, 1.0);
    EXPECT_EQ(m.z, 2.5);
  }
  EXPECT_EQ(ps->hp, 10000);

  // In the overhead view the mark still goes at height 1.0.
  ps->hp = 2000;
  ps->keyboard('b', 0, 0, &sys);
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 250, 250, &sys);
  ASSERT_EQ(ps->field.markings.size(), 3u);
  EXPECT_EQ(ps->field.markings.back().y, 1.0);

  // The next stage clears them.
  ps->statetransfer_init(&sys);
  EXPECT_TRUE(ps->field.markings.empty());
}

TEST(PlayState, ForwardStepOntoTheGoalStartsTheNextStageAtOnce) {
  Play_State* ps = fresh_stage();
  const int n = maze_size(ps);
  const VECTORD before_exit = cell(n - 2, n - 2);

  // Backing onto the exit cell is an ordinary step.
  place(ps, before_exit, 3);
  ps->hp = 3000;
  ps->sp_keyboard(DOWN, 0, 0);
  EXPECT_EQ(ps->anim_count, 4);
  EXPECT_EQ(ps->hp, 2990);
  tick(ps, 4);
  EXPECT_EQ(ps->field.player_pos.x, 5.0 * (n - 1));
  EXPECT_EQ(maze_size(ps), n);
  // Stepping forward from there leads back into the maze, not to a new stage.
  ps->sp_keyboard(UP, 0, 0);
  EXPECT_EQ(ps->anim_count, 4);
  tick(ps, 4);
  EXPECT_EQ(ps->field.player_pos.x, before_exit.x);
  EXPECT_EQ(maze_size(ps), n);

  // Forward onto the goal: new, larger stage, no cost, no animation.
  ps->field.markings.push_back(VECTORD{1, 1, 1});
  place(ps, before_exit, 1);
  ps->hp = 2000;
  ps->sp_keyboard(UP, 0, 0);
  EXPECT_EQ(maze_size(ps), next_size(n));
  EXPECT_EQ(ps->field.grid[0].size(), static_cast<size_t>(next_size(n)));
  EXPECT_EQ(ps->hp, 2000);
  EXPECT_EQ(ps->anim_count, 0);
  EXPECT_EQ(ps->field.player_pos.x, 0.0);
  EXPECT_EQ(ps->field.player_pos.z, 5.0);
  EXPECT_EQ(ps->direction, 1);
  EXPECT_TRUE(ps->field.markings.empty());
  EXPECT_EQ(ps->field.item_list.size(), 2u);
}

TEST(PlayState, GameOverDieSoundAndRestart) {
  Play_State* ps = fresh_stage();
  set_sound_effect_listener(record_sound);
  g_sounds.clear();

  ps->hp = 1;
  tick(ps);
  EXPECT_EQ(ps->hp, 0);
  ps->display(&sys);
  EXPECT_TRUE(g_sounds.empty());
  tick(ps);
  ps->display(&sys);
  EXPECT_EQ(g_sounds, std::vector<std::string>{"die.wav"});
  tick(ps);
  ps->display(&sys);
  EXPECT_EQ(g_sounds.size(), 1u);

  // A step's cost jumping from 5 past -1: no sound at all.
  g_sounds.clear();
  place(ps, cell(1, 0), 1);
  ps->hp = 5;
  ps->sp_keyboard(UP, 0, 0);  // arrows still act after a game over too
  EXPECT_EQ(ps->hp, -5);
  for (int i = 0; i < 4; ++i) {
    tick(ps);
    ps->display(&sys);
  }
  EXPECT_TRUE(g_sounds.empty());
  EXPECT_EQ(ps->field.player_pos.x, 5.0);

  // 'r' and Escape only restart at hp <= 0; uppercase 'R' never.
  const int n = maze_size(ps);
  ps->hp = 1;
  ps->keyboard('r', 0, 0, &sys);
  ps->keyboard(27, 0, 0, &sys);
  EXPECT_EQ(ps->hp, 1);
  EXPECT_EQ(maze_size(ps), n);
  ps->hp = 0;
  ps->keyboard('R', 0, 0, &sys);
  EXPECT_EQ(maze_size(ps), n);

  sys.current_state = nullptr;
  ps->keyboard('r', 0, 0, &sys);
  EXPECT_EQ(sys.current_state, ps);
  EXPECT_EQ(ps->hp, 10000);
  EXPECT_EQ(maze_size(ps), next_size(next_size(n)));  // two set-ups
  EXPECT_EQ(ps->field.player_pos.x, 0.0);
  EXPECT_EQ(ps->direction, 1);

  const int m = maze_size(ps);
  ps->hp = -40;
  ps->keyboard(27, 0, 0, &sys);
  EXPECT_EQ(ps->hp, 10000);
  EXPECT_EQ(maze_size(ps), next_size(next_size(m)));
  set_sound_effect_listener(nullptr);
}

TEST(PlayStateDeathTest, QuitKeysExitWithStatusZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(play()->keyboard('q', 0, 0, &sys), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(play()->keyboard('Q', 0, 0, &sys), ::testing::ExitedWithCode(0), "");
}

}  // namespace

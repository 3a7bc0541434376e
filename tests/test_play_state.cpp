// The play state driven in-process on a real field, and drawn by the real renderer (Mesa under
// Xvfb). Every set-up in this program makes the next maze larger, so sizes are relative.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "objects/items.h"
#include "sound/sound_effect.h"
#include "support/play_driver.h"

using namespace playtest;
using gltest::Rgb;

namespace {

constexpr int UP = GLUT_KEY_UP, DOWN = GLUT_KEY_DOWN, LEFT = GLUT_KEY_LEFT, RIGHT = GLUT_KEY_RIGHT;

std::vector<std::string> g_sounds;

int next_size(int n) {
  return std::min(n + 10, 99);
}
// Key state of the animation: cur_key, next_key, ticks left, heading.
std::tuple<int, int, int, int> keys(const Play_State* ps) {
  return {ps->cur_key, ps->next_key, ps->anim_count, ps->direction};
}
gltest::Frame draw(Play_State* ps) {
  ps->display(&sys);
  return gltest::read_back_buffer();
}

TEST(PlayState, SetUpStartsAtTheEntranceFacingEastInFog) {
  Play_State* ps = play();
  glDisable(GL_FOG);  // as the teapot leaves it
  ps->view_angle = 2.5;
  ps->statetransfer_init(&sys);
  EXPECT_EQ(ps->field.player_pos, (VECTORD{0.0, 1.0, 5.0}));
  EXPECT_EQ(std::make_tuple(ps->hp, ps->direction, ps->view_angle), std::make_tuple(10000, 1, 1.0));
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  GLfloat fog[6] = {};  // mode, density, colour
  glGetFloatv(GL_FOG_MODE, fog);
  glGetFloatv(GL_FOG_DENSITY, fog + 1);
  glGetFloatv(GL_FOG_COLOR, fog + 2);
  EXPECT_EQ(std::vector<float>(fog, fog + 6),
            (std::vector<float>{GL_EXP, 0.125f, 0.2f, 0.2f, 0.5f, 1.0f}));
  // The first frame is the maze, not the white title: no background in the lower half.
  EXPECT_EQ(draw(ps).count(0, 250, 500, 490, gltest::is_white), 0);
}

TEST(PlayState, StepsAndTurnsAnimateOverFourTicks) {
  Play_State* ps = fresh_stage();
  ps->sp_keyboard(UP, 0, 0);  // (1, 1) is always a room
  for (int i = 1; i <= 4; ++i) {
    tick(ps);
    EXPECT_DOUBLE_EQ(ps->field.player_pos.x, 1.25 * i);
    EXPECT_EQ(ps->hp, 9990 - i);  // the step is paid once, on the key
  }
  ps->sp_keyboard(RIGHT, 0, 0);
  for (double e : {1.25, 1.5, 1.75, 2.0}) {  // 22.5 degrees per tick
    tick(ps);
    EXPECT_DOUBLE_EQ(ps->view_angle, e);
  }
  EXPECT_EQ(ps->hp, 9986 - 4);
  place(ps, cell(1, 0), 0);  // left turns from heading 0 go below zero
  ps->sp_keyboard(LEFT, 0, 0);
  tick(ps, 4);
  EXPECT_EQ(std::make_tuple(ps->direction, ps->view_angle), std::make_tuple(3, -1.0));
  tick(ps);  // the idle tick settles the view
  EXPECT_EQ(ps->view_angle, 3.0);
}

TEST(PlayState, OneKeyQueuedDuringAnAnimation) {
  Play_State* ps = fresh_stage();
  ps->sp_keyboard(UP, 0, 0);
  ps->sp_keyboard(UP, 0, 0);  // auto-repeat: dropped
  EXPECT_EQ(keys(ps), std::make_tuple(UP, 0, 4, 1));
  for (int k : {LEFT, DOWN, RIGHT}) ps->sp_keyboard(k, 0, 0);
  EXPECT_EQ(keys(ps), std::make_tuple(UP, RIGHT, 4, 1));
  tick(ps, 4);  // the tick that ends the step starts the queued turn
  EXPECT_EQ(keys(ps), std::make_tuple(RIGHT, 0, 4, 2));
  EXPECT_EQ(ps->hp, 9986);

  // LEFT then UP: the step tests the heading the turn ends on, open or the wall to the north.
  const int open = ps->field.move_enable(cell(1, 2)) ? 1 : 2;
  for (int h : {open, 0}) {
    place(ps, cell(1, 1), (h + 1) % 4);
    ps->hp = 5000;
    ps->sp_keyboard(LEFT, 0, 0);
    ps->sp_keyboard(UP, 0, 0);
    tick(ps, 4);
    EXPECT_EQ(keys(ps), std::make_tuple(UP, 0, h == open ? 4 : 0, h));
    EXPECT_EQ(ps->hp, 5000 - 4 - (h == open ? 10 : 0));  // a refused step is free
    tick(ps, 4);
    EXPECT_EQ(ps->field.player_pos, cell(1, 1) + (h == open ? Play_State::dir[h] : VECTORD{}));
  }
  place(ps, cell(1, 0), 1);
  ps->sp_keyboard(DOWN, 0, 0);  // blocked by the entrance block, yet the last key
  EXPECT_EQ(keys(ps), std::make_tuple(DOWN, 0, 0, 1));
}

TEST(PlayState, OverheadViewCostsRaisesAndLeaves) {
  Play_State* ps = fresh_stage();
  auto view = [&] { return std::make_tuple(ps->overview, ps->hp, ps->field.player_pos.y); };
  for (int hp : {500, 501, 2000}) {
    ps->hp = hp;
    ps->keyboard('b', 0, 0, &sys);
  }
  EXPECT_EQ(view(), std::make_tuple(true, 1500, 11.0));  // 500 refused, 501 leaves 1
  // An item right under the raised eye cannot be touched; back down it is picked up.
  ps->field.item_list.push_back(new Item_Life(VECTORD{0.0, 1.25, 5.0}));
  tick(ps, 2);
  EXPECT_EQ(ps->field.item_list.size(), 1u);
  ps->sp_keyboard(UP, 0, 0);  // leaving is not a step
  EXPECT_EQ(view(), std::make_tuple(false, 1498, 1.0));
  tick(ps);
  EXPECT_EQ(view(), std::make_tuple(false, 1498 - 1 + 5000, 1.0));
  ps->keyboard('b', 0, 0, &sys);
  ps->sp_keyboard(DOWN, 0, 0);
  EXPECT_EQ(std::make_tuple(ps->overview, ps->field.player_pos),
            std::make_tuple(false, cell(1, 0)));
}

TEST(PlayState, MarksGoOnTheWallAheadOnlyDuplicatesKept) {
  Play_State* ps = fresh_stage();
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 250, 250, &sys);  // facing the open room (1, 1)
  EXPECT_TRUE(ps->field.markings.empty());
  place(ps, cell(1, 1), 0);                              // row 0 ahead
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_UP, 250, 250, &sys);  // a release is no click
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 250, 250, &sys);
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10, &sys);
  EXPECT_EQ(ps->field.markings, (std::vector<VECTORD>(2, VECTORD{5.0, 1.0, 2.5})));
}

TEST(PlayState, OnlyAForwardStepOntoTheGoalStartsTheNextStage) {
  Play_State* ps = fresh_stage();
  const int n = maze_size(ps);
  place(ps, cell(n - 2, n - 2), 3);
  ps->sp_keyboard(DOWN, 0, 0);  // backing onto the exit cell: an ordinary step
  tick(ps, 4);
  EXPECT_EQ(ps->field.player_pos, cell(n - 2, n - 1));
  EXPECT_EQ(maze_size(ps), n);
  place(ps, cell(n - 2, n - 2), 1);
  ps->sp_keyboard(UP, 0, 0);
  EXPECT_EQ(maze_size(ps), next_size(n));
  EXPECT_EQ(ps->hp, 10000 - 10 - 4);  // the goal step itself is free
  EXPECT_EQ(ps->anim_count, 0);
  EXPECT_EQ(ps->field.player_pos, cell(1, 0));
}

// "die.wav" plays once per death, the moment the life first reaches 0 or below, whatever took
// it and whether or not a frame is drawn; only a restart arms it again.
TEST(PlayState, GameOverDieSoundOncePerDeathAndRestart) {
  Play_State* ps = fresh_stage();
  set_sound_effect_listener([](const char* wav) { g_sounds.emplace_back(wav); });
  g_sounds.clear();
  auto frames = [&](int ticks) {
    for (int i = 0; i < ticks; ++i) {
      tick(ps);
      ps->display(&sys);
    }
  };
  auto restart = [&] {
    ps->keyboard('r', 0, 0, &sys);
    for (field_object* o : ps->field.item_list) delete o;
    ps->field.item_list.clear();
    place(ps, cell(1, 0), 1);  // the entrance, facing the first room
  };
  ps->hp = 2;
  frames(1);  // 1: alive
  EXPECT_TRUE(g_sounds.empty());
  frames(1);  // 0: dead, heard at once
  EXPECT_EQ(g_sounds, std::vector<std::string>{"die.wav"});
  frames(5);
  EXPECT_EQ(g_sounds.size(), 1u);

  restart();
  ps->hp = 5;
  ps->sp_keyboard(UP, 0, 0);  // the step's cost jumps straight past -1
  EXPECT_EQ(ps->hp, -5);
  EXPECT_EQ(g_sounds.size(), 2u);
  frames(4);
  EXPECT_EQ(g_sounds.size(), 2u);

  restart();
  ps->hp = 1;
  tick(ps, 3);  // a death no frame ever shows
  EXPECT_EQ(g_sounds, (std::vector<std::string>{"die.wav", "die.wav", "die.wav"}));
  set_sound_effect_listener(nullptr);

  for (int hp : {1, 0, -40}) {  // 'r' or Escape restart only once the life is gone
    const int n = maze_size(ps);
    ps->hp = hp;
    ps->keyboard(hp == 0 ? 'r' : 27, 0, 0, &sys);
    EXPECT_EQ(maze_size(ps), hp > 0 ? n : next_size(next_size(n)));  // two set-ups
    EXPECT_EQ(ps->hp, hp > 0 ? hp : 10000);
  }
}

// Once the life is gone, only r / Escape and q act: no keys, no overhead view, no marks, no
// pick-up, no exit. A move still running ends where it was going.
TEST(PlayState, ADeadPlayerCannotPlay) {
  Play_State* ps = fresh_stage();
  place(ps, cell(1, 0), 1);
  ps->field.item_list.push_back(new Item_Life(VECTORD{5.0, 1.25, 5.0}));  // in the first room
  ps->hp = 12;
  ps->sp_keyboard(UP, 0, 0);  // 2 left: the life ends on the second tick of the step
  tick(ps, 4);
  EXPECT_EQ(ps->field.player_pos, cell(1, 1));
  EXPECT_EQ(ps->hp, -2);  // the ball was passed, not taken
  EXPECT_EQ(ps->field.item_list.size(), 1u);

  const auto before = keys(ps);
  for (int key : {UP, DOWN, LEFT, RIGHT}) ps->sp_keyboard(key, 0, 0);
  EXPECT_EQ(keys(ps), before);
  place(ps, cell(1, 1), 0);  // facing the top wall
  ps->hp = 0;
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 250, 250, &sys);
  EXPECT_TRUE(ps->field.markings.empty());
  ps->keyboard('b', 0, 0, &sys);
  EXPECT_FALSE(ps->overview);

  // A turn towards the exit, with the step onto it queued: the life runs out during the turn.
  const int n = maze_size(ps);
  place(ps, cell(n - 2, n - 2), 0);
  ps->hp = 3;
  ps->sp_keyboard(RIGHT, 0, 0);
  ps->sp_keyboard(UP, 0, 0);
  tick(ps, 4);
  EXPECT_EQ(maze_size(ps), n);
  EXPECT_EQ(ps->field.player_pos, cell(n - 2, n - 2));
  EXPECT_EQ(ps->hp, -1);
  ps->keyboard('r', 0, 0, &sys);  // the restart still works
  EXPECT_EQ(ps->hp, 10000);
}

TEST(PlayPixels, WallAheadIsDarkAMarkOnItGreenTheExitDoorYellow) {
  auto greenish = [](Rgb c) { return c[1] > c[0] + 60 && c[1] > c[2] + 60; };
  auto yellowish = [](Rgb c) { return c[0] == c[1] && c[0] > c[2] + 30; };  // lit dim, fogged
  Play_State* ps = fresh_stage();
  place(ps, cell(1, 1), 0);  // row 0 is wall, 2.5 ahead
  const gltest::Frame fr = draw(ps);
  // Dark grey with a little fog blue: neither the white background nor the fog (51, 51, 128).
  const Rgb c = fr.at(250, 250);
  EXPECT_TRUE(c[0] == c[1] && c[0] < 70 && c[2] < 90);
  auto like_c = [&](Rgb p) { return std::abs(p[0] - c[0]) <= 3 && std::abs(p[2] - c[2]) <= 3; };
  EXPECT_EQ(fr.count(150, 150, 350, 350, like_c), 200 * 200);
  EXPECT_EQ(fr.count(0, 0, 500, 490, greenish), 0);
  ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 250, 250, &sys);
  EXPECT_TRUE(greenish(draw(ps).at(250, 250)));

  const int n = maze_size(ps);
  place(ps, cell(n - 2, n - 2), 1);
  EXPECT_GT(draw(ps).count(200, 200, 300, 300, yellowish), 100 * 100 * 9 / 10);
  place(ps, cell(n - 2, n - 2), 3);
  EXPECT_EQ(draw(ps).count(200, 200, 300, 300, yellowish), 0);
}

TEST(PlayPixels, LifeBarShortensUntilTheGameOverPage) {
  auto is_red = [](Rgb c) { return c[0] > 200 && c[1] < 40 && c[2] < 40; };
  Play_State* ps = fresh_stage();
  place(ps, cell(1, 1), 0);
  EXPECT_EQ(draw(ps).count(0, 492, 500, 500, is_red), 500 * 8);
  ps->hp = 5000;
  const gltest::Frame fr = draw(ps);
  EXPECT_EQ(fr.count(0, 492, 245, 500, is_red), 245 * 8);
  EXPECT_EQ(fr.count(255, 492, 500, 500, is_red), 0);
  ps->hp = 1;
  tick(ps);  // 0: the game-over page replaces the scene and the bar
  const gltest::Frame over = draw(ps);
  EXPECT_EQ(over.count(0, 490, 500, 500, is_red), 0);
  EXPECT_GT(over.count(0, 0, 500, 500, gltest::is_white), 500 * 500 * 9 / 10);
}

}  // namespace

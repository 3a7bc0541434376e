// The real binary played with two game controllers and nothing else: SDL's virtual joysticks,
// made inside the game's own process by a preloaded shim (support/virtual_pad_shim.cpp) that
// plays a script tick by tick. Pad 0 starts, turns, marks and looks from above; pad 1 steps.
// The walk to the exit holds each straight down on the D-pad or the stick; pad 1 is pulled out
// mid-step and plugged in again; a death, the restart, and Back quits.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/game_process.h"
#include "support/maze_walk.h"

namespace {

using gltest::differing;
using gltest::Frame;
using gltest::Rgb;
using playtest::Cell;
using playtest::Grid;
using Clock = std::chrono::steady_clock;

void pause_ms(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The pads' script and the shim's log of the marks it has reached.
class Pads {
 public:
  explicit Pads(const std::string& dir) : script_(dir + "/pads.script"), log_(dir + "/pads.log") {
    std::ofstream{script_};
  }

  // The game's environment: the shim preloaded after whatever is already (the sanitizer build
  // preloads Mesa's driver).
  std::vector<std::string> env() const {
    const char* preload = std::getenv("LD_PRELOAD");
    return {
        "LD_PRELOAD=" + (preload != nullptr ? std::string(preload) + " " : "") + VIRTUAL_PAD_SHIM,
        "VORNA_PAD_SCRIPT=" + script_, "VORNA_PAD_LOG=" + log_};
  }

  void send(const std::string& commands) { std::ofstream(script_, std::ios::app) << commands; }

  // Sends the commands and waits until the game's ticks have played them all.
  bool play(const std::string& commands, double seconds = 120.0) {
    const std::string mark = "played" + std::to_string(++marks_);
    send(commands + "mark " + mark + "\n");
    for (const auto end = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < end;
         pause_ms(50)) {
      std::ifstream in(log_);
      for (std::string line; std::getline(in, line);)
        if (line == mark) return true;
    }
    return false;
  }

 private:
  std::string script_, log_;
  int marks_ = 0;
};

// Held for `ticks` ticks of the game, then let go.
std::string hold(int pad, const std::string& control, int ticks) {
  const std::string p = std::to_string(pad) + " " + control + "\n";
  return "press " + p + "wait " + std::to_string(ticks) + "\nrelease " + p;
}
std::string hold_stick_up(int pad, int ticks) {
  const std::string p = std::to_string(pad);
  return "stick " + p + " 0 -32768\nwait " + std::to_string(ticks) + "\nstick " + p + " 0 0\n";
}
// A button pressed for one tick and let go for one, so that the next press is a new one.
std::string tap(int pad, const std::string& control) {
  return hold(pad, control, 1) + "wait 1\n";
}
// A quarter turn: one tick on the D-pad, then the rest of the turn's four ticks.
std::string turn(int pad, const std::string& control) {
  return hold(pad, control, 1) + "wait 3\n";
}

// The walk along `path` from its first cell, facing `heading`: pad 0 turns, pad 1 holds the
// way on for four ticks a cell, on the D-pad and the stick in turn, each move begun idle. The
// step onto the exit starts the next stage at once, so the last hold lets go as it is taken.
// The first straight of two cells or more starts with pad 1 pulled out two ticks into its
// first step: there the walk is cut in two, and the second part plugs pad 1 in again.
std::vector<std::string> walk(const std::vector<Cell>& path, int heading) {
  std::vector<std::string> parts(1);
  bool stick = false;
  for (std::size_t i = 0, k; i + 1 < path.size(); i += k) {
    const int to = playtest::heading(path[i], path[i + 1]);
    for (k = 1; i + k + 1 < path.size() && playtest::heading(path[i + k], path[i + k + 1]) == to;)
      ++k;
    const int right_turns = (to - heading + 4) % 4;
    parts.back() += right_turns == 3 ? turn(0, "left") : "";
    for (int t = 0; t < right_turns && right_turns != 3; ++t) parts.back() += turn(0, "right");
    heading = to;
    int ticks = 4 * static_cast<int>(k) - (i + k + 1 == path.size() ? 3 : 0);
    if (parts.size() == 1 && k >= 2) {
      parts.back() += "stick 1 0 -32768\nwait 2\ndetach 1\nwait 6\n";
      parts.push_back("attach 1\n");
      ticks -= 4;
    }
    parts.back() += stick ? hold_stick_up(1, ticks) : hold(1, "up", ticks);
    stick = !stick;
  }
  return parts;
}

Grid read_maze(const std::string& dir) {
  Grid rows;
  std::ifstream in(dir + "/vorna.txt");
  for (std::string line; std::getline(in, line) && !line.empty();)
    rows.emplace_back(line.begin(), line.end());
  return rows;
}

TEST(E2eGamepad, TwoPadsWalkToTheExitLoseAPadDieRestartAndQuit) {
  const std::string dir = e2e::make_workdir("gamepad");
  Pads pads(dir);
  e2e::Game game(dir, pads.env());
  ASSERT_NE(game.window(30.0), 0UL) << game.err();
  auto is_green = [](Rgb c) { return c[1] > c[0] + 60 && c[1] > c[2] + 60; };
  auto is_wall_shade = [](Rgb c) { return c[0] < 80 && c[0] == c[1] && c[2] < 110; };
  auto is_bar_red = [](Rgb c) { return c[0] > 200 && c[1] < 40 && c[2] < 40; };
  auto in_3d_view = [](const Frame& f) { return f.count(0, 250, 500, 480, gltest::is_white) == 0; };
  Frame last;
  auto wait_for = [&](auto pred, int seconds = 15) {
    for (int i = 0; i < seconds * 10; ++i, pause_ms(100)) {
      const Frame f = game.screenshot();
      if (f.width == 500 && f.height == 500 && pred(last = f)) return true;
    }
    return false;
  };
  auto wait_for_maze = [&](std::size_t size) {
    for (int i = 0; i < 100 && read_maze(dir).size() != size; ++i) pause_ms(100);
    return read_maze(dir).size() == size;
  };
  ASSERT_TRUE(
      wait_for([](const Frame& f) { return f.count(0, 0, 500, 500, gltest::is_white) > 125000; }));

  // Two pads plugged in; Start on pad 0: the first stage, 13 x 13.
  ASSERT_TRUE(pads.play("attach 0\nattach 1\n" + tap(0, "start"))) << game.err();
  ASSERT_TRUE(wait_for(in_3d_view));
  ASSERT_TRUE(wait_for_maze(13));
  const Grid maze = read_maze(dir);
  ASSERT_EQ((std::string{maze[1][0], maze[1][1], maze[0][1]}), "__#");
  const Frame start = last;
  const int idle = differing(start, game.screenshot());

  // A step into the first room, a turn to its north wall, A marks it (a press shorter than a
  // tick), Y looks from above, up comes back down.
  ASSERT_TRUE(pads.play(hold(1, "up", 4)));
  EXPECT_TRUE(wait_for([&](const Frame& f) { return differing(start, f) > 10000 + 4 * idle; }));
  ASSERT_TRUE(pads.play(turn(0, "left")));
  auto facing_wall = [&](const Frame& f) {
    return f.count(200, 200, 300, 300, is_wall_shade) == 10000;
  };
  ASSERT_TRUE(wait_for(facing_wall));
  EXPECT_EQ(last.count(0, 0, 500, 488, is_green), 0);
  ASSERT_TRUE(pads.play("flick 0 a\nwait 1\n"));  // down and up again between two ticks
  EXPECT_TRUE(
      wait_for([&](const Frame& f) { return f.count(200, 200, 300, 300, is_green) > 1000; }));
  ASSERT_TRUE(pads.play(tap(0, "y")));
  EXPECT_TRUE(wait_for(
      [&](const Frame& f) { return f.count(200, 150, 300, 250, gltest::is_white) > 9000; }));
  ASSERT_TRUE(pads.play(tap(0, "up")));
  EXPECT_TRUE(
      wait_for([&](const Frame& f) { return f.count(200, 200, 300, 300, is_green) > 1000; }));

  // The walk to the exit from the first room, facing north. Pulled out mid-step, pad 1 is
  // dropped: its step ends and no other follows, though the way goes on.
  const int n = static_cast<int>(maze.size());
  const std::vector<Cell> path =
      playtest::shortest_path_to(maze, {1, 1}, [&](Cell c) { return c.second == n - 1; });
  ASSERT_GT(path.size(), 2u);
  const std::vector<std::string> parts = walk(path, 0);
  ASSERT_EQ(parts.size(), 2u) << "no straight of two cells on the way";
  ASSERT_TRUE(pads.play(parts[0])) << game.err();
  ASSERT_TRUE(wait_for(in_3d_view));
  const Frame stopped = last;
  pause_ms(1500);
  EXPECT_LT(differing(stopped, game.screenshot()), 10000 + 4 * idle) << "still walking";
  ASSERT_TRUE(pads.play(parts[1])) << game.err();
  EXPECT_TRUE(wait_for_maze(23)) << "the walk missed the exit";

  // Y until it is refused leaves at most 500 life points; up comes down, and pad 1 walks to
  // and fro between the entrance and the first room until the life is gone.
  std::string burn;
  for (int i = 0; i < 32; ++i) burn += tap(0, "y");
  burn += tap(1, "up");
  for (int i = 0; i < 20; ++i) burn += hold(1, "up", 4) + hold(1, "down", 4);
  ASSERT_TRUE(pads.play(burn)) << game.err();
  auto game_over = [&](const Frame& f) {
    return f.count(0, 495, 500, 496, is_bar_red) == 0 &&
           f.count(180, 245, 330, 270, gltest::is_dark) > 30;
  };
  ASSERT_TRUE(wait_for(game_over, 60)) << "no death";

  // Start again: the restart runs two stage set-ups, 33 then 43.
  ASSERT_TRUE(pads.play(tap(0, "start")));
  EXPECT_TRUE(wait_for(in_3d_view));
  EXPECT_TRUE(wait_for_maze(43));

  pads.send(tap(1, "back"));
  EXPECT_EQ(game.wait_exit(30.0), 0) << game.err();
}

}  // namespace

// The real binary played through real X input: start a stage from the title, step, turn to a
// wall, mark it, look from above, quit.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/game_process.h"

namespace {

constexpr double kStartSeconds = 30.0;
constexpr double kWaitSeconds = 15.0;

std::vector<std::string> maze_rows(const std::string& workdir) {
  std::ifstream in(workdir + "/vorna.txt");
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) rows.push_back(line);
  return rows;
}

// Polls screenshots until `pred` holds (bounded); returns the last one taken.
gltest::Frame wait_frame(e2e::Game& game, const std::function<bool(const gltest::Frame&)>& pred,
                         double seconds = kWaitSeconds) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<int>(seconds * 1000));
  gltest::Frame f;
  for (;;) {
    f = game.screenshot();
    if (f.width > 0 && pred(f)) return f;
    if (std::chrono::steady_clock::now() > deadline) return f;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

int differing(const gltest::Frame& a, const gltest::Frame& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int n = 0;
  for (int y = 0; y < a.height; y += 2)
    for (int x = 0; x < a.width; x += 2) n += a.at(x, y) != b.at(x, y);
  return n;
}

bool is_green(const gltest::Rgb& c) {
  return c[1] > c[0] + 60 && c[1] > c[2] + 60;
}
bool is_red(const gltest::Rgb& c) {
  return c[0] > 200 && c[1] < 40 && c[2] < 40;
}
// The dark grey wall a few units ahead, tinted by the blue fog; never the white background.
bool is_wall_shade(const gltest::Rgb& c) {
  return c[0] < 80 && c[0] == c[1] && c[2] < 110;
}
int centre_count(const gltest::Frame& f, bool (*pred)(const gltest::Rgb&)) {
  return f.count(200, 200, 300, 300, pred);
}

TEST(E2ePlay, StageStepTurnMarkOverheadAndQuit) {
  const std::string dir = e2e::make_workdir("play");
  e2e::Game game(dir);
  ASSERT_NE(game.window(kStartSeconds), 0UL) << game.err();
  ASSERT_FALSE(std::filesystem::exists(dir + "/vorna.txt"));

  // The title screen is white with dark text: wait for it, then S.
  wait_frame(game, [](const gltest::Frame& f) {
    return f.count(0, 0, f.width, f.height, gltest::is_white) > f.width * f.height / 2;
  });
  game.key("s");

  // The first stage: a 13 x 13 maze written to the working directory, seen in first person
  // with the life bar along the bottom.
  const gltest::Frame start = wait_frame(game, [](const gltest::Frame& f) {
    return f.count(0, 250, f.width, 480, gltest::is_white) == 0 &&
           f.count(0, f.height - 6, f.width, f.height, is_red) > f.width * 4;
  });
  ASSERT_EQ(start.count(0, 250, start.width, 480, gltest::is_white), 0);
  const std::vector<std::string> rows = maze_rows(dir);
  ASSERT_EQ(rows.size(), 13u);
  for (const std::string& r : rows) EXPECT_EQ(r.size(), 13u);
  ASSERT_EQ(rows[1][1], '_');
  ASSERT_EQ(rows[0][1], '#');

  // Up: one step into room (1, 1); the picture changes by much more than the spinning items.
  const gltest::Frame still = game.screenshot();
  const int idle_change = differing(start, still);
  game.key("Up");
  const gltest::Frame moved = wait_frame(
      game, [&](const gltest::Frame& f) { return differing(start, f) > 10000 + 4 * idle_change; });
  EXPECT_GT(differing(start, moved), 10000 + 4 * idle_change);

  // Left: now facing row 0, a wall 2.5 ahead fills the centre.
  std::this_thread::sleep_for(std::chrono::milliseconds(700));  // let the step end
  game.key("Left");
  const gltest::Frame wall = wait_frame(
      game, [](const gltest::Frame& f) { return centre_count(f, is_wall_shade) == 100 * 100; });
  EXPECT_EQ(centre_count(wall, is_wall_shade), 100 * 100);
  EXPECT_EQ(wall.count(0, 0, wall.width, wall.height - 12, is_green), 0);

  // A click marks the wall: a green half-sphere in the middle of the view.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  game.click(250, 250);
  const gltest::Frame marked =
      wait_frame(game, [](const gltest::Frame& f) { return centre_count(f, is_green) > 1000; });
  EXPECT_GT(centre_count(marked, is_green), 1000);

  // 'b': the eye rises 5 above the wall top; the view centre now looks over it into the
  // background beyond the maze's edge.
  game.key("b");
  const gltest::Frame above = wait_frame(game, [](const gltest::Frame& f) {
    return f.count(200, 150, 300, 250, gltest::is_white) > 100 * 100 * 9 / 10;
  });
  EXPECT_GT(above.count(200, 150, 300, 250, gltest::is_white), 100 * 100 * 9 / 10);
  EXPECT_GT(differing(marked, above), 10000);

  game.key("q");
  EXPECT_EQ(game.wait_exit(kStartSeconds), 0) << game.err();
}

}  // namespace

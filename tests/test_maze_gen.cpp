// Wall-extension generator: invariants over sizes and seeds, the walk rules, size limits.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "maze/maze_gen.h"

namespace {

using Snapshot = std::vector<int>;

Snapshot snapshot() {
  return Snapshot(&g_maze[0][0], &g_maze[0][0] + 104 * 104);
}

void generate(int width, int height, unsigned seed) {
  CX = width + 4;
  CYY = height + 4;
  srand(seed);
  make_maze();
}

// Checks the current g_maze for a maze of the current CX x CYY; returns "" when all is well.
std::string maze_faults() {
  std::ostringstream out;
  const int w = CX;
  const int h = CYY;
  auto frame = [&](int x, int y) { return x < 3 || y < 3 || x > w - 4 || y > h - 4; };
  for (int y = 0; y < 104; ++y)
    for (int x = 0; x < 104; ++x) {
      const int v = g_maze[y][x];
      if (x >= w || y >= h) {
        if (v != 0) out << "written outside the working block at " << x << "," << y << "\n";
        continue;
      }
      const bool entrance = x == 2 && y == 3;
      const bool exit = x == w - 3 && y == h - 4;
      if (entrance || exit) {
        if (v != 0) out << "opening closed at " << x << "," << y << "\n";
      } else if (frame(x, y) && v != 1) {
        out << "frame open at " << x << "," << y << "\n";
      }
      if (x % 2 == 1 && y % 2 == 1 && !frame(x, y) && v != 0)
        out << "room walled at " << x << "," << y << "\n";
    }
  // All open cells inside the outer wall ring connect to the entrance.
  std::vector<std::vector<bool>> seen(h, std::vector<bool>(w, false));
  std::deque<std::pair<int, int>> queue{{2, 3}};
  seen[3][2] = true;
  while (!queue.empty()) {
    const auto [x, y] = queue.front();
    queue.pop_front();
    const int step[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& s : step) {
      const int nx = x + s[0];
      const int ny = y + s[1];
      if (nx < 2 || ny < 2 || nx > w - 3 || ny > h - 3) continue;
      if (g_maze[ny][nx] != 0 || seen[ny][nx]) continue;
      seen[ny][nx] = true;
      queue.emplace_back(nx, ny);
    }
  }
  for (int y = 2; y <= h - 3; ++y)
    for (int x = 2; x <= w - 3; ++x)
      if (g_maze[y][x] == 0 && !seen[y][x])
        out << "unreachable open cell " << x << "," << y << "\n";
  if (g_markpt != 0) out << "mark list not empty: " << g_markpt << "\n";
  return out.str();
}

std::string read_file(const char* name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(MazeGen, InvariantsForEveryOddSizeAndManySeeds) {
  for (int size = 3; size <= 99; size += 2)
    for (unsigned seed : {1u, 7u, 12345u, 4000000000u}) {
      generate(size, size, seed);
      ASSERT_EQ(maze_faults(), "") << "size " << size << " seed " << seed;
    }
  for (unsigned seed = 0; seed < 300; ++seed) {
    generate(13, 13, seed);
    ASSERT_EQ(maze_faults(), "") << "seed " << seed;
  }
  // Not square.
  for (auto [w, h] : {std::pair{3, 99}, std::pair{99, 3}, std::pair{13, 41}, std::pair{57, 9}}) {
    generate(w, h, 99u);
    ASSERT_EQ(maze_faults(), "") << w << "x" << h;
  }
}

TEST(MazeGen, FirstSeedAlwaysWallsInwardAndTopSeedFindsNothing) {
  for (unsigned seed = 0; seed < 200; ++seed) {
    generate(13, 13, seed);
    EXPECT_EQ(g_maze[4][3], 1) << seed;  // link (3, 4)
    EXPECT_EQ(g_maze[4][4], 1) << seed;  // post (4, 4)
    EXPECT_EQ(g_maze[3][4], 0) << seed;  // link (4, 3)
  }
}

TEST(MazeGen, SameSeedSameMazeAndSeedsMatter) {
  generate(41, 41, 2024u);
  const Snapshot first = snapshot();
  generate(13, 13, 5u);  // something else in between
  generate(41, 41, 2024u);
  EXPECT_EQ(snapshot(), first);

  int differing = 0;
  for (unsigned seed = 1; seed <= 5; ++seed) {
    generate(41, 41, 2024u + seed);
    if (snapshot() != first) ++differing;
  }
  EXPECT_EQ(differing, 5);
}

TEST(MazeGen, SmallestMazeIsOneRoomBetweenEntranceAndExit) {
  create_vorna(3, 3);
  EXPECT_EQ(CX, 7);
  EXPECT_EQ(CYY, 7);
  EXPECT_EQ(read_file("vorna.txt"), "###\n___\n###\n");
}

TEST(MazeGen, WalkStopsAfterFourteenStepsAndLeavesItsEndUnrecorded) {
  // From the wall post (50, 50) a straight corridor of 25 open posts along row 50, everything
  // else wall: exactly one way on at every step.
  for (auto& row : g_maze)
    for (int& c : row) c = 1;
  for (int x = 51; x <= 100; ++x) g_maze[50][x] = 0;
  init_mark();
  expand_wall(50, 50);
  ASSERT_EQ(g_markpt, 14);
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(g_mark[i].x, 50 + 2 * i);
    EXPECT_EQ(g_mark[i].y, 50);
  }
  for (int x = 50; x <= 78; ++x) EXPECT_EQ(g_maze[50][x], 1) << x;
  EXPECT_EQ(g_maze[50][79], 0);  // could go on, but the budget is spent
  EXPECT_EQ(g_maze[50][80], 0);

  // A walk that runs out of open targets early also leaves its end unrecorded.
  for (int x = 50; x <= 100; ++x) g_maze[50][x] = 1;
  for (int x = 51; x <= 54; ++x) g_maze[50][x] = 0;
  init_mark();
  expand_wall(50, 50);
  ASSERT_EQ(g_markpt, 2);
  EXPECT_EQ(g_mark[1].x, 52);
  EXPECT_EQ(g_maze[50][54], 1);

  // Nothing to grow into: nothing changes, nothing is recorded.
  const Snapshot before = snapshot();
  init_mark();
  expand_wall(60, 60);
  EXPECT_EQ(g_markpt, 0);
  EXPECT_EQ(snapshot(), before);
}

TEST(MazeGen, MarkListTakesEveryEntryOnceThenReportsEmpty) {
  init_mark();
  int x = -7;
  int y = -9;
  EXPECT_EQ(get_mark(&x, &y), 0);
  EXPECT_EQ(x, -7);
  EXPECT_EQ(y, -9);

  for (int i = 0; i < 50; ++i) set_mark(i, 1000 + i);
  std::vector<int> taken(50, 0);
  srand(3);
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(get_mark(&x, &y), 1);
    ASSERT_GE(x, 0);
    ASSERT_LT(x, 50);
    EXPECT_EQ(y, 1000 + x);
    ++taken[x];
  }
  EXPECT_EQ(taken, std::vector<int>(50, 1));
  EXPECT_EQ(get_mark(&x, &y), 0);

  // The list is full at 2704 entries; a further entry is dropped, not written past the end.
  g_markpt = 2704;
  set_mark(1, 2);
  EXPECT_EQ(g_markpt, 2704);
  init_mark();
}

TEST(MazeGen, SizesTheGridCannotHoldAreFittedToOddSizesFrom3To99) {
  EXPECT_EQ(maze_fit_size(INT_MIN), 3);
  EXPECT_EQ(maze_fit_size(-5), 3);
  EXPECT_EQ(maze_fit_size(0), 3);
  EXPECT_EQ(maze_fit_size(2), 3);
  EXPECT_EQ(maze_fit_size(3), 3);
  EXPECT_EQ(maze_fit_size(4), 3);
  EXPECT_EQ(maze_fit_size(13), 13);
  EXPECT_EQ(maze_fit_size(98), 97);
  EXPECT_EQ(maze_fit_size(99), 99);
  EXPECT_EQ(maze_fit_size(100), 99);
  EXPECT_EQ(maze_fit_size(103), 99);
  EXPECT_EQ(maze_fit_size(INT_MAX), 99);

  for (int size : {INT_MIN, -5, 0, 1, 2, 4, 14, 98, 100, 101, 103, 1000, INT_MAX}) {
    create_vorna(size, 13);
    const int w = maze_fit_size(size);
    EXPECT_EQ(CX, w + 4);
    EXPECT_EQ(CYY, 17);
    EXPECT_EQ(maze_faults(), "") << size;
    const std::string file = read_file("vorna.txt");
    EXPECT_EQ(file.size(), static_cast<std::size_t>(13 * (w + 1))) << size;
  }

  // Globals set by hand are fitted as well before anything is written.
  CX = 1000;
  CYY = -40;
  srand(1);
  make_maze();
  EXPECT_EQ(CX, 103);
  EXPECT_EQ(CYY, 7);
  EXPECT_EQ(maze_faults(), "");

  // Stray walks at or beyond the edge of the storage stay inside it.
  for (auto& row : g_maze)
    for (int& c : row) c = 0;
  init_mark();
  for (auto [x, y] : {std::pair{-2, 5}, std::pair{-1, -1}, std::pair{103, 103}, std::pair{104, 0},
                      std::pair{200, 200}, std::pair{0, 0}, std::pair{102, 50}})
    expand_wall(x, y);
  EXPECT_LE(g_markpt, 2704);
  init_mark();
}

// The maze from generator through "vorna.txt" to Vorna_Field, and the items and enemies in it:
// generator invariants and size limits, reading rules, cell queries, ownership, object rules.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "maze/maze_file.h"
#include "maze/maze_gen.h"
#include "maze/vorna_field.h"
#include "objects/enemy.h"
#include "objects/items.h"
#include "sound/sound_effect.h"
#include "support/gl_window.h"
#include "support/maze_walk.h"

namespace {

using V = VECTORD;
using Rows = std::vector<std::string>;
const char* const kReadError = "ファイルの読み取りエラー\n";
const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

std::vector<int> snapshot() {
  return std::vector<int>(&g_maze[0][0], &g_maze[0][0] + 104 * 104);
}

void generate(int size, unsigned seed) {
  CX = CYY = size + 4;
  srand(seed);
  make_maze();
}

// Faults of g_maze as a maze of the current CX x CYY; "" when there are none.
std::string maze_faults() {
  std::ostringstream out;
  const int w = CX, h = CYY;
  auto frame = [&](int x, int y) { return x < 3 || y < 3 || x > w - 4 || y > h - 4; };
  for (int y = 0; y < 104; ++y)
    for (int x = 0; x < 104; ++x) {
      const bool opening = (x == 2 && y == 3) || (x == w - 3 && y == h - 4);
      const bool room = x % 2 == 1 && y % 2 == 1 && !frame(x, y);
      const int want = (x >= w || y >= h || opening || room) ? 0 : frame(x, y) ? 1 : -1;
      if (want >= 0 && g_maze[y][x] != want) out << "cell " << x << "," << y << "\n";
    }
  // Every open cell inside the outer ring connects to the entrance.
  std::vector<char> seen(104 * 104, 0);
  std::vector<std::pair<int, int>> todo{{2, 3}};
  while (!todo.empty()) {
    const auto [x, y] = todo.back();
    todo.pop_back();
    if (x < 2 || y < 2 || x > w - 3 || y > h - 3 || g_maze[y][x] != 0 || seen[y * 104 + x])
      continue;
    seen[y * 104 + x] = 1;
    todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
  }
  for (int y = 2; y <= h - 3; ++y)
    for (int x = 2; x <= w - 3; ++x)
      if (g_maze[y][x] == 0 && !seen[y * 104 + x]) out << "unreachable " << x << "," << y << "\n";
  return out.str();
}

std::string read_bytes(const char* name) {
  std::ostringstream s;
  s << std::ifstream(name, std::ios::binary).rdbuf();
  return s.str();
}

std::vector<std::string> g_sounds;

void set_grid(Vorna_Field& f, std::initializer_list<std::string> rows) {
  f.grid.clear();
  for (const std::string& r : rows) f.grid.emplace_back(r.begin(), r.end());
  f.player_pos = V{1000, 1, 1000};  // in line with nothing
}

// Runs n ticks; returns "heading steps_left x z" afterwards.
template <typename E>
std::string tick(E& e, Vorna_Field& f, int n = 1) {
  for (int i = 0; i < n; ++i) EXPECT_EQ(e.move(f), 0);
  std::ostringstream s;
  s << e.heading << " " << e.steps_left << " " << e.pos.x << " " << e.pos.z;
  return s.str();
}

Rows as_rows(const std::vector<std::vector<char>>& grid) {
  Rows r;
  for (const auto& row : grid) r.emplace_back(row.begin(), row.end());
  return r;
}

}  // namespace

TEST(MazeGen, InvariantsOverEveryOddSizeAndManySeeds) {
  for (int size = 3; size <= 99; size += 2)
    for (unsigned seed : {1u, 7u, 4000000000u}) {
      generate(size, seed);
      ASSERT_EQ(maze_faults(), "") << "size " << size << " seed " << seed;
    }
  for (unsigned seed = 0; seed < 200; ++seed) {
    generate(13, seed);
    ASSERT_EQ(maze_faults(), "") << "seed " << seed;
    // The first seed (2, 4) can only grow inwards: link (3, 4), post (4, 4); (4, 3) stays open.
    EXPECT_EQ(std::make_tuple(g_maze[4][3], g_maze[4][4], g_maze[3][4]), std::make_tuple(1, 1, 0))
        << seed;
  }
  generate(41, 2024u);
  const std::vector<int> first = snapshot();
  generate(41, 2025u);
  EXPECT_NE(snapshot(), first);
  generate(41, 2024u);
  EXPECT_EQ(snapshot(), first);  // same seed, same maze
}

TEST(MazeGen, WalkStopsAfterFourteenStepsAndLeavesItsEndUnrecorded) {
  // From post (50, 50) a straight run of open posts along row 50, everything else wall.
  std::fill(&g_maze[0][0], &g_maze[0][0] + 104 * 104, 1);
  std::fill(&g_maze[50][51], &g_maze[50][101], 0);
  init_mark();
  expand_wall(50, 50);
  ASSERT_EQ(g_markpt, 14);
  for (int i = 0; i < 14; ++i)
    EXPECT_EQ(std::make_pair(g_mark[i].x, g_mark[i].y), std::make_pair(50 + 2 * i, 50)) << i;
  for (int x = 50; x <= 78; ++x) EXPECT_EQ(g_maze[50][x], 1) << x;
  EXPECT_EQ(g_maze[50][79], 0);  // could go on, but the budget is spent
}

TEST(MazeGen, MarkListHandsOutEachEntryOnceAndStaysInBounds) {
  init_mark();
  int x = -7, y = -9;
  EXPECT_EQ(get_mark(&x, &y), 0);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(-7, -9));  // untouched
  std::set<std::pair<int, int>> put, taken;
  for (int i = 0; i < 50; ++i) set_mark(i, 1000 + i), put.emplace(i, 1000 + i);
  for (int i = 0; i < 60 && get_mark(&x, &y) == 1; ++i) taken.emplace(x, y);
  EXPECT_EQ(taken, put);
  EXPECT_EQ(g_markpt, 0);
  g_markpt = 2704;  // full: a further entry is dropped, not written past the end
  set_mark(1, 2);
  EXPECT_EQ(g_markpt, 2704);
  init_mark();
}

// Sizes the grid cannot hold become the nearest odd size in 3..99; nothing is touched outside.
// What a text-mode stream makes of `text` on this platform (CRLF line ends on Windows).
std::string text_mode_bytes(const std::string& text) {
  std::ofstream("text-mode.txt") << text;
  return read_bytes("text-mode.txt");
}

TEST(MazeGen, OutOfGridSizesAreFittedAndStayInside) {
  create_vorna(3, 3);
  // One room between the openings, written in text mode.
  EXPECT_EQ(read_bytes("vorna.txt"), text_mode_bytes("###\n___\n###\n"));
  const std::pair<int, int> fits[] = {{INT_MIN, 3}, {-5, 3},   {0, 3},    {4, 3},
                                      {98, 97},     {100, 99}, {103, 99}, {1000, 99}};
  for (auto [size, fitted] : fits) {
    create_vorna(size, 13);
    EXPECT_EQ(std::make_pair(CX, CYY), std::make_pair(fitted + 4, 17)) << size;
    EXPECT_EQ(maze_faults(), "") << size;
  }
}

TEST(MazeFile, ReadingRules) {
  const Rows plain = {"#####", "____#", "#_#_#", "#___#", "#####"};
  const std::tuple<const char*, int, Rows, std::string> cases[] = {
      {"#####\n____#\n#_#_#\n#___#\n#####\n", 5, plain, ""},
      {"#####\r\n____#\r\n#_#_#\r\n#___#\r\n#####\r\n", 5, plain, ""},
      {"\n\n  ## ###\t\t\n____\v#\n\n#_#\f_#\r#___##\n\n###\t \n", 5, plain, ""},
      {"abcdefghijkl", 5, {"abcde", "fghij", "kllll"}, ""},  // short last row: last char repeated
      {"#####\n#_\n", 5, {"#####", "#____"}, ""},            // truncated mid-row
      {"\xC3\xA9*\n", 2, {"\xC3\xA9", "**"}, ""},            // foreign bytes are cells too
      {"abc", 0, {}, ""},                                    // no width: no endless loop
      {"", 13, {}, kReadError},
      {" \r\n\t\n\n", 13, {}, kReadError},
      {nullptr, 13, {}, kReadError},  // no file
  };
  for (const auto& [bytes, width, rows, out] : cases) {
    std::remove("vorna.txt");
    if (bytes) std::ofstream("vorna.txt", std::ios::binary) << bytes;
    std::vector<std::vector<char>> grid;
    testing::internal::CaptureStdout();
    read_maze_file(grid, width);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), out) << (bytes ? bytes : "no file");
    EXPECT_EQ(as_rows(grid), rows) << (bytes ? bytes : "no file");
  }
}

// The life ball over many mazes of every size a game asks for: a reachable room of the top-left
// corner (rows and columns up to ceil(size / 5)), in the corner's last room column, never the
// room the first step enters; every row of that column comes up.
TEST(Field, LifeBallInTheCornerNeverInTheFirstRoom) {
  std::vector<int> sizes;
  for (int size = 13; size <= 93; size += 10) sizes.push_back(size);
  sizes.push_back(99);
  for (int size : sizes) {
    const std::size_t corner = (size + 4) / 5, column = corner % 2 ? corner : corner - 1;
    std::set<std::size_t> rows_seen;
    for (unsigned seed = 1; seed <= 300; ++seed) {
      generate(size, seed);
      std::vector<std::vector<char>> grid(size);
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) grid[y].push_back(g_maze[y + 2][x + 2] ? '#' : '_');
      const V p = life_item_position(grid);
      const auto r = static_cast<std::size_t>(p.z / 5), c = static_cast<std::size_t>(p.x / 5);
      ASSERT_EQ(p, (V{5.0 * c, 1.25, 5.0 * r})) << size << " " << seed;
      ASSERT_EQ(c, column) << size << " " << seed;
      ASSERT_EQ(r % 2, 1u) << size << " " << seed;
      ASSERT_LE(r, corner) << size << " " << seed;
      ASSERT_EQ(grid[r][c], '_') << size << " " << seed;
      rows_seen.insert(r);
    }
    EXPECT_EQ(rows_seen.size(), (corner + 1) / 2) << size;  // 1, 3, ... up to the corner
  }
  // Too small for a second room in the corner: the nearest other room; none at all: the origin.
  EXPECT_EQ(life_item_position({{'#', '#', '#', '#', '#'},
                                {'_', '_', '_', '_', '#'},
                                {'#', '#', '#', '_', '#'},
                                {'#', '_', '_', '_', '_'},
                                {'#', '#', '#', '#', '#'}})
                .x,
            15.0);
  const V none = life_item_position({{'#', '#', '#'}, {'_', '_', '_'}, {'#', '#', '#'}});
  EXPECT_EQ(none, (V{0, 1.25, 0}));
}

// Every size round-trips through the file. The life ball: an open room (odd row and column) in
// the top-left corner, up to ceil(size / 5), so reachable as the maze is connected.
TEST(Field, EverySizeReadsBackWithItsItems) {
  using At = std::pair<std::size_t, std::size_t>;  // row, column
  Vorna_Field f;
  for (int size = 3; size <= 103; size += 2) {
    f.field_init(size, size);
    const int n = std::min(size, 99);
    Rows expected(n);
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) expected[y] += g_maze[y + 2][x + 2] != 0 ? '#' : '_';
    ASSERT_EQ(as_rows(f.grid), expected) << size;
    const V p = f.item_list.back()->pos;
    const auto r = static_cast<std::size_t>(p.z / 5), c = static_cast<std::size_t>(p.x / 5);
    EXPECT_EQ(p, (V{5.0 * c, 1.25, 5.0 * r})) << size;
    if (n == 3) {  // a single room, the first one: the ball waits at the origin
      EXPECT_EQ(At(r, c), At(0, 0)) << size;
    } else {
      // Below 11 the corner has no room but the first: the nearest other room instead.
      const std::size_t corner = n < 11 ? n : (n + 4) / 5;
      EXPECT_EQ(At(r % 2, c % 2), At(1, 1)) << size;
      EXPECT_LE(std::max(r, c), corner) << size;
      EXPECT_EQ(f.grid[r][c], '_') << size;
      EXPECT_NE(At(r, c), At(1, 1)) << size;
    }
    const V exit{5.0 * (n - 1), 1, 5.0 * (n - 2)};
    EXPECT_TRUE(f.is_goal(exit)) << size;
    EXPECT_TRUE(f.move_enable(exit)) << size;
    EXPECT_EQ(f.item_list.front()->pos.x, exit.x - 5) << size;
  }
}

TEST(Field, StageOf13AndItsQueries) {
  Vorna_Field f;
  f.markings.push_back(V{1, 1, 1});
  f.field_init(13, 13);
  EXPECT_TRUE(f.markings.empty());
  EXPECT_TRUE(f.enemy_list.empty());
  ASSERT_EQ(f.item_list.size(), 2u);
  EXPECT_TRUE(dynamic_cast<Item_teapod*>(f.item_list.front()));
  EXPECT_TRUE(dynamic_cast<Item_Life*>(f.item_list.back()));
  EXPECT_EQ(f.item_list.front()->pos, (V{55, 1, 5}));
  EXPECT_FALSE(f.move_enable(V{0, 1, 5}));  // entrance
  EXPECT_TRUE(f.move_enable(V{5, 1, 5}));
  EXPECT_TRUE(f.move_enable(V{60, 7, 55}));  // exit
  EXPECT_FALSE(f.is_goal(V{59.5, 1, 55}));
  for (double x : {59.6, 60.0}) EXPECT_TRUE(f.is_goal(V{x, 1, 55})) << x;

  f.player_pos = V{5, 1, 5};
  const std::pair<V, std::string> finds[] = {{V{5, 1, 35}, "001"},     {V{35, 1, 5}, "100"},
                                             {V{5, 1, 10}, "000"},     {V{10, 1, 10}, "000"},
                                             {V{-1e300, 1, 5}, "100"}, {V{kNan, 1, 35}, "000"}};
  for (const auto& [p, axis] : finds) {
    const V a = f.find_enemy(p);
    EXPECT_EQ((std::string{char('0' + a.x), char('0' + a.y), char('0' + a.z)}), axis) << p.x;
  }
}

TEST(Field, QueriesOnAHandMadeGridNeverLeaveIt) {
  Vorna_Field f;
  set_grid(f, {"#####", "_#__#", "#___#", "#_*__", "###"});
  EXPECT_FALSE(f.move_enable(V{7.5, 0, 5}));  // row 1, column 1
  f.grid[1][1] = '_';
  for (V p : {V{7.5, 0, 5}, V{9.99, 0, 9.99}}) EXPECT_TRUE(f.move_enable(p)) << p.x;
  for (V p : {V{10, 0, 15} /* "*" */, V{17, 0, 22} /* beyond a short row */, V{kNan, 0, 5},
              V{5, 0, kNan}, V{kInf, 0, 5}, V{-kInf, 0, 5}, V{5, 0, 1e300}, V{-1e300, 0, -1e300},
              V{1e19, 0, 1e19}, V{-5, 0, 5}, V{5, 0, -5}, V{25, 0, 5}, V{5, 0, 25}})
    EXPECT_FALSE(f.move_enable(p)) << p.x << "," << p.z;
  EXPECT_TRUE(f.is_goal(V{1e300, 0, 0}));
  for (double x : {-kInf, kNan}) EXPECT_FALSE(f.is_goal(V{x, 0, 0})) << x;
  f.grid.assign(1, {});  // one row without cells
  EXPECT_FALSE(f.move_enable(V{5, 1, 5}));
  EXPECT_FALSE(f.is_goal(V{60, 1, 55}));
}

TEST(Field, UnwritableFileMessageThenEmptyGridWithBothItems) {
  std::remove("vorna.txt");
  ASSERT_TRUE(std::filesystem::create_directory(
      "vorna.txt"));  // neither writable nor readable as a file, even by root
  std::fill(&g_maze[0][0], &g_maze[0][0] + 104 * 104, 1);
  CX = 0;
  Vorna_Field f;
  testing::internal::CaptureStdout();
  f.field_init(13, 13);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("ファイル開けない") + kReadError);
  std::filesystem::remove("vorna.txt");
  EXPECT_EQ(std::make_tuple(CX, g_maze[3][2], g_maze[13][14]),
            std::make_tuple(17, 0, 0));  // generated
  EXPECT_TRUE(f.grid.empty());
  ASSERT_EQ(f.item_list.size(), 2u);
  EXPECT_EQ(f.item_list.back()->pos, (V{0, 1.25, 0}));
  EXPECT_FALSE(f.move_enable(V{5, 1, 5}));
  for (V p : {V{60, 1, 55}, V{kInf, 1, 5}}) EXPECT_FALSE(f.is_goal(p)) << p.x;
}

// Counts its own destruction, so double or missing deletes show (and AddressSanitizer sees them).
struct Counted : field_object {
  explicit Counted(int* counter) : field_object(V{0, 0, 0}), counter_(counter) {}
  ~Counted() override { ++*counter_; }
  int* counter_;
};

TEST(Field, OwnsItsObjectsAndDeletesEachExactlyOnce) {
  int destroyed = 0;
  {
    Vorna_Field f;
    f.field_init(13, 13);
    delete f.item_list.front();  // the play state picks up the teapot
    f.item_list.pop_front();
    f.item_list.push_back(new Counted(&destroyed));
    f.enemy_list.push_back(new Counted(&destroyed));
    f.field_init(13, 13);
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(f.item_list.size(), 2u);
    EXPECT_TRUE(f.enemy_list.empty());
    f.enemy_list.push_back(new Counted(&destroyed));
  }
  EXPECT_EQ(destroyed, 3);  // the destructor took the rest
}

TEST(Items, TouchSpinAndPickUp) {
  Item_teapod pot(V{55, 1, 5});
  Item_Life life(V{10, 1.25, 10});
  EXPECT_TRUE(pot.stumb(V{57.5, 1, 5}));  // exactly 2.5 away
  EXPECT_FALSE(pot.stumb(V{57.6, 1, 5}));
  EXPECT_FALSE(pot.stumb(V{55, 3.6, 5}));    // height counts
  EXPECT_FALSE(life.stumb(V{12.5, 1, 10}));  // about 2.5125
  EXPECT_TRUE(life.stumb(V{11.25, 1, 10}));
  EXPECT_FALSE(life.stumb(V{kNan, 1, 10}));
  EXPECT_FALSE(pot.stumb(V{kInf, 1, 5}));

  Vorna_Field field;
  for (int i = 0; i < 180; ++i) pot.move(field), life.move(field);
  EXPECT_EQ(std::make_pair(pot.angle, life.angle), std::make_pair(360.0, 360.0));
  pot.move(field), life.move(field);
  EXPECT_EQ(std::make_pair(pot.angle, life.angle), std::make_pair(2.0, 2.0));
  EXPECT_EQ(pot.pos.x, 55);

  gltest::open_window(200, 200);
  set_sound_effect_listener([](const char* wav) { g_sounds.emplace_back(wav); });
  int hp = 30;
  field_object* item = new Item_Life(V{10, 1.25, 10});
  EXPECT_EQ(item->action(&hp), 0);
  EXPECT_EQ(hp, 5030);
  delete item;  // through the base, as the play state does
  glEnable(GL_FOG);
  item = new Item_teapod(V{55, 1, 5});
  EXPECT_EQ(item->action(&hp), 0);
  EXPECT_EQ(hp, 5030);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  delete item;
  field_object plain(V{1, 2, 3});  // the base has no effect
  EXPECT_EQ(plain.action(&hp), 0);
  EXPECT_EQ(hp, 5030);
  EXPECT_FALSE(plain.stumb(V{1, 2, 3}));
  EXPECT_EQ(g_sounds, (std::vector<std::string>{"life.wav", "dfog.wav"}));
  set_sound_effect_listener(nullptr);
}

// The teapot in the current material (green) on the left, the life ball red on the right.
TEST(Items, DrawAtTheirPositions) {
  gltest::open_game_window(200, 200);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-10, 10, -10, 10, -10, 10);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const GLfloat green[] = {0, 1, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, green);
  GLfloat before[16], after[16], material[4];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  Item_teapod(V{-5, 0, 0}).draw();
  Item_Life(V{5, 0, 0}).draw();
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_EQ(std::vector<GLfloat>(before, before + 16), std::vector<GLfloat>(after, after + 16));
  glGetMaterialfv(GL_BACK, GL_DIFFUSE, material);
  EXPECT_EQ(std::vector<GLfloat>(material, material + 3), (std::vector<GLfloat>{1, 0, 0}));

  const gltest::Frame fr = gltest::read_back_buffer();
  auto red = [](const gltest::Rgb& c) { return c[0] > 100 && c[1] < 30 && c[2] < 30; };
  auto green_px = [](const gltest::Rgb& c) { return c[1] > 100 && c[0] < 30 && c[2] < 30; };
  EXPECT_GT(fr.count(0, 0, 76, 200, green_px), 300);  // teapot: about 570
  EXPECT_GT(fr.count(130, 0, 200, 200, red), 350);    // ball: about 620
  EXPECT_EQ(fr.count(0, 0, 130, 200, red) + fr.count(130, 0, 200, 200, green_px), 0);
}

TEST(Enemy2, StraightOnThenRightThenLeftThenBack) {
  Vorna_Field f;
  set_grid(f, {"#####", "##_##", "##_##", "#####"});
  enemy2 e(V{10, 1, 10}, 0);
  EXPECT_EQ(tick(e, f), "0 8 10 10");  // decides
  EXPECT_EQ(tick(e, f), "0 7 10 9.375");
  EXPECT_EQ(tick(e, f, 7), "0 0 10 5");
  EXPECT_EQ(tick(e, f), "2 0 10 5");  // dead end: back in one tick
  EXPECT_EQ(tick(e, f, 9), "2 0 10 10");

  set_grid(f, {"#####", "#___#", "##_##", "#####"});
  enemy2 r(V{10, 1, 5}, 0);  // facing the wall, both sides open
  EXPECT_EQ(tick(r, f), "1 0 10 5");
  EXPECT_EQ(tick(r, f), "1 8 10 5");
  set_grid(f, {"#####", "#__##", "##_##", "#####"});
  enemy2 l(V{10, 1, 5}, -4);  // a heading out of range is taken modulo 4
  EXPECT_EQ(tick(l, f), "3 0 10 5");
}

TEST(Enemy, KeepsToTheRightHandWall) {
  Vorna_Field f;
  set_grid(f, {"#####", "##_##", "##___", "##_##", "##_##", "#####"});
  enemy e(V{10, 1, 20}, 0);
  EXPECT_EQ(tick(e, f), "0 8 10 20");  // right closed: straight on
  EXPECT_EQ(tick(e, f, 8 + 9), "0 0 10 10");
  EXPECT_EQ(tick(e, f), "1 0 10 10");  // opening on the right: east,
  EXPECT_EQ(tick(e, f), "2 0 10 10");  // then south, where it came from
  EXPECT_EQ(tick(e, f, 9), "2 0 10 15");
  e.heading = 6;  // set out of range from outside: south
  EXPECT_EQ(tick(e, f, 9), "2 0 10 20");
  EXPECT_EQ(tick(e, f), "0 0 10 20");  // dead end

  int hp = 77;
  enemy2 e2(e.pos, 0);
  for (field_object* o : std::initializer_list<field_object*>{&e, &e2}) {  // enemies do no harm
    EXPECT_EQ(o->action(&hp), 0);
    EXPECT_EQ(hp, 77);
    EXPECT_FALSE(o->stumb(o->pos));
  }
}

TEST(Enemy, ChasesAPlayerInLineButNeverIntoAWall) {
  Vorna_Field f;
  set_grid(f, {"#######", "#_____#", "#_____#", "#_____#", "#_____#", "#_____#", "#######"});
  // Towards the player along either axis; a neighbour is not chased: right-first turns it.
  const std::tuple<V, int, std::string> cases[] = {{V{15, 1, 25.5}, 9, "2 0 15 20"},
                                                   {V{15, 1, 5}, 9, "0 0 15 10"},
                                                   {V{25.5, 1, 15}, 9, "1 0 20 15"},
                                                   {V{5, 1, 15}, 9, "3 0 10 15"},
                                                   {V{15, 1, 20}, 1, "1 0 15 15"}};
  for (const auto& [player, ticks, after] : cases) {
    enemy e(V{15, 1, 15}, 0);
    f.player_pos = player;
    EXPECT_EQ(tick(e, f, ticks), after);
  }

  set_grid(f, {"#####", "##_##", "##_##", "#####", "##_##", "#####"});
  f.player_pos = V{10, 1, 20};  // two rows below, behind a wall; north is open
  enemy e(V{10, 1, 10}, 0);
  EXPECT_EQ(tick(e, f, 9), "0 0 10 5");
}

// Vorna_Field: building a stage, the cell queries, the life ball's place, object ownership.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "maze/maze_gen.h"
#include "maze/vorna_field.h"
#include "objects/field_object.h"
#include "objects/items.h"

namespace {

using Grid = std::vector<std::vector<char>>;

Grid rows(std::initializer_list<const char*> lines) {
  Grid g;
  for (const char* l : lines) g.emplace_back(l, l + std::string(l).size());
  return g;
}

VECTORD v(double x, double y, double z) {
  return VECTORD{x, y, z};
}

// Counts its own destruction, so double or missing deletes show.
struct Counted : field_object {
  explicit Counted(int* counter) : field_object(VECTORD{0, 0, 0}), counter_(counter) {}
  ~Counted() override { ++*counter_; }
  int* counter_;
  std::vector<int> payload = std::vector<int>(100, 7);  // only freed by a full destruction
};

bool reachable_from_entrance(const Grid& g, std::size_t tr, std::size_t tc) {
  std::vector<std::vector<bool>> seen(g.size(), std::vector<bool>(g[0].size(), false));
  std::deque<std::pair<std::size_t, std::size_t>> q{{1, 0}};
  seen[1][0] = true;
  while (!q.empty()) {
    auto [r, c] = q.front();
    q.pop_front();
    if (r == tr && c == tc) return true;
    const std::pair<std::size_t, std::size_t> next[4] = {
        {r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
    for (auto [nr, nc] : next)
      if (nr < g.size() && nc < g[nr].size() && g[nr][nc] == '_' && !seen[nr][nc]) {
        seen[nr][nc] = true;
        q.emplace_back(nr, nc);
      }
  }
  return false;
}

}  // namespace

TEST(Field, StageHoldsTheMazeTheTeapotAndTheLifeBall) {
  Vorna_Field f;
  f.markings.push_back(v(1, 1, 1));
  f.field_init(13, 13);
  ASSERT_EQ(f.grid.size(), 13u);
  for (const auto& row : f.grid) EXPECT_EQ(row.size(), 13u);
  EXPECT_EQ(f.grid[1][0], '_');
  EXPECT_EQ(f.grid[11][12], '_');
  EXPECT_TRUE(f.markings.empty());
  EXPECT_TRUE(f.enemy_list.empty());
  ASSERT_EQ(f.item_list.size(), 2u);
  auto* pot = dynamic_cast<Item_teapod*>(f.item_list.front());
  auto* life = dynamic_cast<Item_Life*>(f.item_list.back());
  ASSERT_NE(pot, nullptr);
  ASSERT_NE(life, nullptr);
  EXPECT_EQ(pot->pos.x, 55.0);
  EXPECT_EQ(pot->pos.y, 1.0);
  EXPECT_EQ(pot->pos.z, 5.0);
  EXPECT_EQ(pot->angle, 0.0);
  EXPECT_EQ(life->pos.y, 1.25);
  EXPECT_EQ(life->angle, 0.0);
}

TEST(Field, LifeBallSitsInAReachableRoomOfTheTopLeftCorner) {
  Vorna_Field f;
  for (int size = 3; size <= 99; size += 2) {
    f.field_init(size, size);
    ASSERT_EQ(f.grid.size(), static_cast<std::size_t>(size));
    const VECTORD p = f.item_list.back()->pos;
    const double cx = p.x / 5.0;
    const double cz = p.z / 5.0;
    ASSERT_EQ(cx, std::floor(cx));
    ASSERT_EQ(cz, std::floor(cz));
    const auto c = static_cast<std::size_t>(cx);
    const auto r = static_cast<std::size_t>(cz);
    const std::size_t corner = (static_cast<std::size_t>(size) + 4) / 5;  // ceil(size / 5)
    EXPECT_EQ(r % 2, 1u) << size;
    EXPECT_EQ(c % 2, 1u) << size;
    EXPECT_LE(r, corner) << size;
    EXPECT_LE(c, corner) << size;
    EXPECT_EQ(f.grid[r][c], '_') << size;
    EXPECT_TRUE(reachable_from_entrance(f.grid, r, c)) << size;
    EXPECT_EQ(p.y, 1.25);
    EXPECT_EQ(f.item_list.front()->pos.x, 5.0 * (size - 2));
  }
  f.field_init(3, 3);
  EXPECT_EQ(f.item_list.back()->pos.x, 5.0);
  EXPECT_EQ(f.item_list.back()->pos.z, 5.0);
}

TEST(Field, OversizedRequestBuildsTheLargestMaze) {
  Vorna_Field f;
  f.field_init(103, 103);
  ASSERT_EQ(f.grid.size(), 99u);
  EXPECT_EQ(f.grid[0].size(), 99u);
  EXPECT_EQ(f.item_list.front()->pos.x, 5.0 * 97);
  EXPECT_TRUE(f.move_enable(v(5.0 * 98, 1, 5.0 * 97)));  // the exit
  EXPECT_TRUE(f.is_goal(v(5.0 * 98, 1, 5.0 * 97)));
}

TEST(Field, MoveEnableAndIsGoalOnAGeneratedMaze) {
  Vorna_Field f;
  f.field_init(13, 13);
  EXPECT_FALSE(f.move_enable(v(0, 1, 5)));   // entrance: x must be above 0
  EXPECT_TRUE(f.move_enable(v(5, 1, 5)));    // first room
  EXPECT_TRUE(f.move_enable(v(60, 7, 55)));  // exit
  EXPECT_FALSE(f.move_enable(v(65, 1, 55)));
  EXPECT_FALSE(f.move_enable(v(60, 1, 65)));
  EXPECT_FALSE(f.move_enable(v(5, 1, 0)));
  EXPECT_FALSE(f.move_enable(v(5, 1, -0.0)));

  EXPECT_FALSE(f.is_goal(v(59.5, 1, 55)));
  EXPECT_TRUE(f.is_goal(v(59.6, 1, 55)));
  EXPECT_TRUE(f.is_goal(v(60, 1, 55)));
  EXPECT_FALSE(f.is_goal(v(std::nan(""), 1, 55)));
}

TEST(Field, CellQueriesOnHandMadeGrids) {
  Vorna_Field f;
  f.grid = rows({"#####", "_#__#", "#___#", "#_*__", "###"});
  EXPECT_FALSE(f.move_enable(v(7.5, 0, 5)));  // row 1, column 1
  f.grid[1][1] = '_';
  EXPECT_TRUE(f.move_enable(v(7.5, 0, 5)));
  EXPECT_TRUE(f.move_enable(v(9.99, 0, 9.99)));
  EXPECT_FALSE(f.move_enable(v(10, 0, 15)));  // "*" is not open
  EXPECT_TRUE(f.move_enable(v(20, 0, 15)));
  // Row 4 is shorter than row 0: the missing cells are not open.
  EXPECT_FALSE(f.move_enable(v(17, 0, 22)));
  EXPECT_FALSE(f.move_enable(v(5, 0, 22)));  // "#" within the short row

  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (VECTORD p : {v(nan, 0, 5), v(5, 0, nan), v(nan, nan, nan), v(inf, 0, 5), v(5, 0, inf),
                    v(-inf, 0, 5), v(1e300, 0, 5), v(5, 0, 1e300), v(-1e300, 0, -1e300),
                    v(1e19, 0, 1e19), v(-5, 0, 5), v(5, 0, -5), v(25, 0, 5), v(5, 0, 25)})
    EXPECT_FALSE(f.move_enable(p)) << p.x << "," << p.z;

  EXPECT_FALSE(f.is_goal(v(19.5, 0, 0)));
  EXPECT_TRUE(f.is_goal(v(1e300, 0, 0)));
  EXPECT_TRUE(f.is_goal(v(inf, 0, 0)));
  EXPECT_FALSE(f.is_goal(v(-inf, 0, 0)));

  f.grid.clear();
  EXPECT_FALSE(f.move_enable(v(5, 1, 5)));
  EXPECT_FALSE(f.is_goal(v(60, 1, 55)));
  EXPECT_FALSE(f.is_goal(v(inf, 1, 55)));
  f.grid = Grid{{}};  // one row without cells
  EXPECT_FALSE(f.move_enable(v(5, 1, 5)));
  EXPECT_FALSE(f.is_goal(v(60, 1, 55)));
}

TEST(Field, FindEnemyReportsTheAxisOfAPlayerInLine) {
  Vorna_Field f;
  f.player_pos = v(5, 1, 5);
  auto is = [](VECTORD a, double x, double y, double z) {
    return a.x == x && a.y == y && a.z == z;
  };
  EXPECT_TRUE(is(f.find_enemy(v(5, 1, 35)), 0, 0, 1));
  EXPECT_TRUE(is(f.find_enemy(v(5, 1, -25)), 0, 0, 1));  // either side
  EXPECT_TRUE(is(f.find_enemy(v(35, 1, 5)), 1, 0, 0));
  EXPECT_TRUE(is(f.find_enemy(v(5, 1, 10)), 0, 0, 0));  // neighbour cell
  EXPECT_TRUE(is(f.find_enemy(v(10, 1, 10)), 0, 0, 0));
  EXPECT_TRUE(is(f.find_enemy(v(9.9, 1, 10.9)), 0, 0, 0));  // truncated to 4 and 5
  EXPECT_TRUE(is(f.find_enemy(v(9.9, 1, 11)), 0, 0, 1));    // 4 and 6
  EXPECT_TRUE(is(f.find_enemy(v(30, 1, 30)), 0, 0, 0));     // not in line
  EXPECT_TRUE(is(f.find_enemy(v(5, 1, 1e300)), 0, 0, 1));
  EXPECT_TRUE(is(f.find_enemy(v(-1e300, 1, 5)), 1, 0, 0));
  EXPECT_TRUE(is(f.find_enemy(v(std::nan(""), 1, 35)), 0, 0, 0));
  f.player_pos = v(std::nan(""), 1, 5);
  EXPECT_TRUE(is(f.find_enemy(v(35, 1, 5)), 0, 0, 0));
}

TEST(Field, OwnsItsObjectsAndDeletesEachExactlyOnce) {
  int destroyed = 0;
  {
    Vorna_Field f;
    f.field_init(13, 13);
    // The play state picks up the teapot: deletes it and removes it from the list.
    delete f.item_list.front();
    f.item_list.pop_front();
    f.item_list.push_back(new Counted(&destroyed));
    f.enemy_list.push_back(new Counted(&destroyed));
    f.enemy_list.push_back(new Counted(&destroyed));

    f.field_init(13, 13);  // rebuild
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(f.item_list.size(), 2u);
    EXPECT_TRUE(f.enemy_list.empty());

    f.item_list.push_back(new Counted(&destroyed));
    f.enemy_list.push_back(new Counted(&destroyed));
  }
  EXPECT_EQ(destroyed, 5);  // the destructor took the rest
}

TEST(Field, UnreadableFileLeavesAnEmptyGridWithBothItems) {
  std::remove("vorna.txt");
  ASSERT_EQ(mkdir("vorna.txt", 0755), 0);  // can be neither written nor read as a file
  Vorna_Field f;
  testing::internal::CaptureStdout();
  f.field_init(13, 13);
  const std::string out = testing::internal::GetCapturedStdout();
  rmdir("vorna.txt");

  EXPECT_EQ(out, "ファイル開けないファイルの読み取りエラー\n");
  EXPECT_TRUE(f.grid.empty());
  ASSERT_EQ(f.item_list.size(), 2u);
  EXPECT_EQ(f.item_list.front()->pos.x, 55.0);
  const VECTORD life = f.item_list.back()->pos;
  EXPECT_EQ(life.x, 0.0);
  EXPECT_EQ(life.y, 1.25);
  EXPECT_EQ(life.z, 0.0);
  EXPECT_FALSE(f.move_enable(v(5, 1, 5)));
  EXPECT_FALSE(f.is_goal(v(60, 1, 55)));
  EXPECT_EQ(f.buttai_draw(), 0);
}

// Skipping what cannot be seen: the play screen drawn with and without it must give the very
// same pixels, and the skipping must really skip.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "maze/field_sight.h"
#include "support/play_driver.h"

using namespace playtest;

namespace {

using Cell = std::pair<int, int>;  // row, column
using Grid = std::vector<std::vector<char>>;

Grid grid_of(const std::vector<std::string>& rows) {
  Grid g;
  for (const std::string& r : rows) g.emplace_back(r.begin(), r.end());
  return g;
}

TEST(GridSight, WallsHideWhatLiesWhollyBehindThem) {
  const Grid g = grid_of({
      "#########",
      "#_______#",
      "###_#####",
      "#_______#",
      "#########",
  });
  Grid_sight s;
  s.compute(g, 15.0, 5.0);                                     // row 1, column 3, over the gap
  for (int c = 0; c < 9; ++c) EXPECT_TRUE(s.cell(1, c)) << c;  // the corridor and its ends
  for (int c = 2; c <= 4; ++c) {
    EXPECT_TRUE(s.cell(3, c)) << c;  // through the gap, straight on and at a slant
    EXPECT_TRUE(s.cell(4, c)) << c;
  }
  EXPECT_FALSE(s.cell(3, 1));  // too steep a slant for the gap
  EXPECT_FALSE(s.cell(3, 6));
  EXPECT_FALSE(s.cell(4, 8));
  EXPECT_TRUE(s.cell(-1, 0));                    // outside the grid nothing is known: seen
  EXPECT_TRUE(s.area(30.0, 10.0, 40.0, 14.0));   // touches row 2, walls seen from the corridor
  EXPECT_FALSE(s.area(31.0, 14.0, 39.0, 20.0));  // only rows 3 and 4 from column 6 on

  // Mid-step on a cell boundary that is also the gap's edge: sight lines graze it.
  s.compute(g, 12.5, 5.0);
  EXPECT_TRUE(s.cell(3, 2));
  EXPECT_TRUE(s.cell(4, 4));
  EXPECT_FALSE(s.cell(3, 1));
  EXPECT_FALSE(s.cell(3, 7));

  // Against a wall, the eye could see into it: nothing is ruled out.
  s.compute(g, 5.0, 2.52);
  EXPECT_EQ(s.seen_count(), 10 * 10);
  s.see_all();
  EXPECT_TRUE(s.cell(3, 7));
}

// The field as the play state draws it, after `setup` placed the camera.
struct Scene {
  std::string name;
  VECTORD eye;
  double yaw;  // quarter turns (eye level) or degrees (overhead)
  bool overhead;
  bool fog;
};

gltest::Frame render(Play_State* ps, const Scene& s, bool skip) {
  Vorna_Field::skip_unseen = skip;
  ps->field.player_pos = s.eye;
  ps->overview = s.overhead;
  if (s.overhead)
    ps->overview_angle = s.yaw;
  else
    ps->view_angle = s.yaw;
  if (s.fog)
    glEnable(GL_FOG);
  else
    glDisable(GL_FOG);
  ps->display(&sys);
  return gltest::read_back_buffer();
}

std::vector<Cell> shortest_path(const Grid& g, Cell from, Cell to) {
  auto open = [&](Cell n) {
    const auto r = static_cast<size_t>(n.first), c = static_cast<size_t>(n.second);
    return r < g.size() && c < g[r].size() && g[r][c] == '_';
  };
  std::map<Cell, Cell> prev{{from, from}};
  for (std::deque<Cell> queue{from}; !queue.empty(); queue.pop_front()) {
    const auto [r, c] = queue.front();
    for (const Cell& n : {Cell{r - 1, c}, Cell{r, c + 1}, Cell{r + 1, c}, Cell{r, c - 1}})
      if (open(n) && prev.emplace(n, queue.front()).second) queue.push_back(n);
  }
  std::vector<Cell> path{to};
  while (path[0] != from && prev.count(path[0])) path.insert(path.begin(), prev[path[0]]);
  return path;
}

int heading_between(Cell a, Cell b) {
  const int dr = b.first - a.first, dc = b.second - a.second;
  return dr < 0 ? 0 : dc > 0 ? 1 : dr > 0 ? 2 : 3;
}

// Scenes along the solved path of an n x n maze: every heading at some stops, turns caught
// between quarter turns, steps caught between cells, and the overhead view at two heights.
std::vector<Scene> scenes_along_path(Play_State* ps, int n, int stops) {
  const Grid& g = ps->field.grid;
  const std::vector<Cell> path = shortest_path(g, {1, 0}, {n - 2, n - 1});
  EXPECT_EQ(path.front(), Cell(1, 0));
  std::vector<Scene> out;
  out.push_back({"start", cell(1, 0), 1.0, false, true});
  out.push_back({"start looking back", cell(1, 0), 3.0, false, false});
  for (int k = 0; k < stops; ++k) {
    const size_t i = 1 + (path.size() - 3) * static_cast<size_t>(k) / (stops - 1);
    const Cell here = path[i], next = path[i + 1];
    const VECTORD at = cell(here.first, here.second);
    const VECTORD to = cell(next.first, next.second);
    const int h = heading_between(here, next);
    const bool fog = k % 2 == 0;
    const std::string where = "stop " + std::to_string(k) + " (" + std::to_string(here.first) +
                              "," + std::to_string(here.second) + ")";
    for (int q = 0; q < 4; ++q) out.push_back({where + " heading", at, double(q), false, fog});
    for (double f : {0.25, 0.5, 0.75})
      out.push_back({where + " turning", at, h + f + (k % 3 == 0 ? 2.0 : 0.0), false, !fog});
    for (double f : {0.25, 0.5, 0.75})
      out.push_back({where + " stepping",
                     VECTORD{at.x + (to.x - at.x) * f, at.y, at.z + (to.z - at.z) * f}, double(h),
                     false, fog});
    if (k % 2 == 0) {
      VECTORD up = at;
      up.y = k % 4 == 0 ? 6.0 : 11.0;
      for (double yaw : {h * 90.0, h * 90.0 + 130.0, -50.0})
        out.push_back({where + " overhead", up, yaw, true, fog});
    }
  }
  // Marks on the walls faced along the way, so some are seen and some are not.
  for (size_t i = 1; i + 1 < path.size(); i += 3)
    for (int d = 0; d < 4; ++d) {
      ps->field.player_pos = cell(path[i].first, path[i].second);
      ps->direction = d;
      ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0, &sys);
    }
  EXPECT_FALSE(ps->field.markings.empty());
  return out;
}

TEST(FieldCull, SamePixelsWithAndWithoutSkippingAlongASolvedPath) {
  Play_State* ps = play();
  int compared = 0;
  for (const auto& [n, stops] : {std::pair{13, 5}, std::pair{53, 7}, std::pair{99, 7}}) {
    ps->statetransfer_init(&sys);
    ps->field.field_init(n, n);  // the items stay: they are drawn after the field
    ASSERT_EQ(maze_size(ps), n);
    long tiles[2] = {0, 0}, walls[2] = {0, 0}, marks[2] = {0, 0};
    for (const Scene& s : scenes_along_path(ps, n, stops)) {
      SCOPED_TRACE(std::to_string(n) + " " + s.name + " yaw " + std::to_string(s.yaw) + " y " +
                   std::to_string(s.eye.y));
      const gltest::Frame all = render(ps, s, false);
      const Vorna_Field::Draw_count every = Vorna_Field::drawn;
      const gltest::Frame some = render(ps, s, true);
      const Vorna_Field::Draw_count seen = Vorna_Field::drawn;
      int differ = 0;
      for (size_t i = 0; i < all.rgb.size(); i += 3)
        if (all.rgb[i] != some.rgb[i] || all.rgb[i + 1] != some.rgb[i + 1] ||
            all.rgb[i + 2] != some.rgb[i + 2])
          ++differ;
      EXPECT_EQ(differ, 0);
      EXPECT_LE(seen.tiles, every.tiles);
      EXPECT_LE(seen.walls, every.walls);
      EXPECT_EQ(every.tiles, n * n);
      tiles[0] += every.tiles, tiles[1] += seen.tiles;
      walls[0] += every.walls, walls[1] += seen.walls;
      marks[0] += every.marks, marks[1] += seen.marks;
      ++compared;
    }
    std::printf("%dx%d: drawn with skipping %ld of %ld tiles, %ld of %ld walls, %ld of %ld marks\n",
                n, n, tiles[1], tiles[0], walls[1], walls[0], marks[1], marks[0]);
    // Both kinds of skipping must have taken effect, not only kept the picture.
    if (n == 99) {
      EXPECT_LT(tiles[1] * 10, tiles[0]);
      EXPECT_LT(walls[1] * 10, walls[0]);
      EXPECT_LT(marks[1], marks[0]);
    }
  }
  std::printf("compared %d scenes pixel for pixel\n", compared);
  Vorna_Field::skip_unseen = true;
}

}  // namespace

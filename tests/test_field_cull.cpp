// Skipping what cannot be seen: the play screen drawn with and without it must give the very
// same pixels, and the skipping must really skip.
#define GL_GLEXT_PROTOTYPES  // the primitives query, counting what GL really draws
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "maze/grid_sight.h"
#include "maze/view_volume.h"
#include "support/play_driver.h"

using namespace playtest;

namespace {

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
  EXPECT_EQ(s.seen_count(), 6 * 10);  // every cell of the grid and the ring around it
  s.compute(g, 15.0, 5.0);
  s.see_all();
  EXPECT_TRUE(s.cell(3, 7));
  s.compute(g, std::nan(""), 5.0);
  EXPECT_TRUE(s.cell(3, 7));

  // A wall the near plane may cut open hides nothing: (2, 2) here.
  s.compute(g, 15.0, 5.0, Plan_box{9.0, 9.0, 11.0, 11.0});
  EXPECT_TRUE(s.cell(3, 1));
  EXPECT_FALSE(s.cell(3, 6));
}

// Whether the segment from the eye to p misses every wall, walls shrunk by `edge` on their
// outline sides as the sight pass shrinks them.
bool sight_line_clear(const Grid& g, double ex, double ez, double px, double pz, double edge) {
  auto wall = [&](int r, int c) {
    return r >= 0 && c >= 0 && r < int(g.size()) && c < int(g[r].size()) && g[r][c] == '#';
  };
  for (int r = 0; r < int(g.size()); ++r)
    for (int c = 0; c < int(g[r].size()); ++c) {
      if (!wall(r, c)) continue;
      const double lo[2] = {5.0 * c - 2.5 + (wall(r, c - 1) ? 0.0 : edge),
                            5.0 * r - 2.5 + (wall(r - 1, c) ? 0.0 : edge)};
      const double hi[2] = {5.0 * c + 2.5 - (wall(r, c + 1) ? 0.0 : edge),
                            5.0 * r + 2.5 - (wall(r + 1, c) ? 0.0 : edge)};
      const double from[2] = {ex, ez}, d[2] = {px - ex, pz - ez};
      double t0 = 0.0, t1 = 1.0;
      for (int i = 0; i < 2; ++i) {
        if (d[i] == 0.0) {
          if (from[i] <= lo[i] || from[i] >= hi[i]) t1 = -1.0;
          continue;
        }
        const double a = (lo[i] - from[i]) / d[i], b = (hi[i] - from[i]) / d[i];
        t0 = std::max(t0, std::min(a, b));
        t1 = std::min(t1, std::max(a, b));
      }
      if (t0 < t1) return false;
    }
  return true;
}

// Eyes in the grid and around it, far off too: a cell some sight line reaches is never hidden.
TEST(GridSight, NeverHidesACellASightLineReaches) {
  const Grid g = grid_of({
      "________#__##",
      "___##_##_#_#_",
      "_#___________",
      "__####_#_#___",
      "_##_##_______",
      "##______#___#",
      "##_#_###_##_#",
      "#_#_____#__##",
      "##_#_#_##____",
      "_______##__#_",
      "#_#_##_#___#_",
      "_#_#___#___##",
      "___#_###_____",
  });
  const std::pair<double, double> eyes[] = {
      {-11.0, 18.9}, {27.4, 22.0},  {48.3, 93.5},  {100.0, 62.0}, {100.0, 30.0},
      {-20.0, 30.0}, {-20.0, -3.0}, {30.0, -40.0}, {62.0, 62.0},  {400.0, -300.0}};
  // The same rows cut to five cells: a grid taller than wide is tracked as it is.
  Grid narrow = g;
  for (auto& row : narrow) row.resize(5);
  int hidden = 0;
  for (const Grid* grid : {&g, static_cast<const Grid*>(&narrow)})
    for (const auto& [ex, ez] : eyes) {
      Grid_sight s;
      s.compute(*grid, ex, ez);
      for (int r = 0; r < 14; ++r)
        for (int c = 0; c < 14; ++c) {
          if (s.cell(r, c)) continue;
          ++hidden;
          // Points all over the cell, just inside it; walls a little less shrunk than the pass
          // shrinks them, so a line it counts blocked by a hair is blocked here too.
          for (int i = 0; i < 25; ++i) {
            const double px = 5.0 * c - 2.4 + 1.2 * (i % 5), pz = 5.0 * r - 2.4 + 1.2 * (i / 5);
            EXPECT_FALSE(sight_line_clear(*grid, ex, ez, px, pz, 0.04))
                << "cell " << r << "," << c << " from " << ex << "," << ez;
          }
        }
    }
  EXPECT_GT(hidden, 14 * 14 * 5);  // the pass does hide things, from most of the eyes
}

TEST(ViewVolume, FromTheGameProjectionAndView) {
  gltest::open_game_window(500, 500);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(60.0, 1.0, 1.0, 200.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotated(90.0, 0.0, 1.0, 0.0);  // heading 1: looking along +x
  glTranslated(0.0, -1.0, -5.0);
  double p[16], mv[16];
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  View_volume v;
  v.set(p, mv);
  double x, y, z;
  ASSERT_TRUE(v.eye(&x, &y, &z));
  EXPECT_NEAR(x, 0.0, 1e-6);
  EXPECT_NEAR(y, 1.0, 1e-6);
  EXPECT_NEAR(z, 5.0, 1e-6);
  const Plan_box near = v.near_box();        // the eye and the near rectangle, 1 ahead
  const double half = std::sqrt(1.0 / 3.0);  // tan 30 degrees
  EXPECT_NEAR(near.x0, 0.0, 1e-6);
  EXPECT_NEAR(near.x1, 1.0, 1e-6);
  EXPECT_NEAR(near.z0, 5.0 - half, 1e-6);
  EXPECT_NEAR(near.z1, 5.0 + half, 1e-6);
  auto cube = [&](double cx, double cz) {
    return v.may_see(cx - 0.5, 0.5, cz - 0.5, cx + 0.5, 1.5, cz + 0.5);
  };
  EXPECT_TRUE(cube(10.0, 5.0));
  EXPECT_FALSE(cube(-10.0, 5.0));       // behind
  EXPECT_FALSE(cube(0.2, 5.0));         // between the eye and the near plane
  EXPECT_TRUE(cube(199.0, 5.0));        // the far plane at 200 cuts it
  EXPECT_FALSE(cube(201.0, 5.0));       // wholly beyond it
  EXPECT_TRUE(cube(10.0, 5.0 + 5.9));   // 30 degrees to the side is the edge: 5.77 at 10
  EXPECT_FALSE(cube(10.0, 5.0 + 6.7));  // 6.06 at its far end
  EXPECT_FALSE(cube(10.0, 5.0 - 6.7));
  EXPECT_FALSE(v.may_see(9.0, 7.5, 4.0, 11.0, 8.0, 6.0));  // above: the top is 7.35 at 11
  EXPECT_TRUE(v.may_see(9.0, 6.3, 4.0, 11.0, 8.0, 6.0));

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-10.0, 10.0, -10.0, 10.0, -100.0, 100.0);
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  glMatrixMode(GL_MODELVIEW);
  v.set(p, mv);
  EXPECT_FALSE(v.eye(&x, &y, &z));  // a parallel view has no eye point
  EXPECT_GT(v.near_box().x0, v.near_box().x1);
  EXPECT_TRUE(cube(-5.0, 5.0));  // and sees behind as well as ahead
  EXPECT_FALSE(cube(-101.0, 5.0));
}

// What field_draw leaves behind for the items and the status line drawn after it.
struct Left_state {
  float normal[4] = {};
  float material[4][4] = {};  // ambient and diffuse, front and back
  double modelview[16] = {};
  bool vertex_array = false;
  bool operator==(const Left_state& o) const {
    return std::equal(normal, normal + 4, o.normal) &&
           std::equal(&material[0][0], &material[0][0] + 16, &o.material[0][0]) &&
           std::equal(modelview, modelview + 16, o.modelview) && vertex_array == o.vertex_array;
  }
};

// What the field leaves behind, and (in `drawn`) what it drew.
Left_state draw_field_alone(Play_State* ps, VECTORD eye, double yaw, bool skip,
                            Vorna_Field::Draw_count* drawn = nullptr) {
  // Whatever the previous frame left, as the game's start-up and an earlier frame may.
  glEnableClientState(GL_VERTEX_ARRAY);
  const GLfloat odd[4] = {0.1f, 0.2f, 0.3f, 0.4f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, odd);
  glNormal3f(0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotated(yaw * 90.0, 0.0, 1.0, 0.0);
  glTranslated(-eye.x, -eye.y, -eye.z);
  const Vorna_Field::Draw_count counted = ps->field.field_draw(skip);
  if (drawn) *drawn = counted;
  Left_state s;
  glGetFloatv(GL_CURRENT_NORMAL, s.normal);
  glGetMaterialfv(GL_FRONT, GL_AMBIENT, s.material[0]);
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, s.material[1]);
  glGetMaterialfv(GL_BACK, GL_AMBIENT, s.material[2]);
  glGetMaterialfv(GL_BACK, GL_DIFFUSE, s.material[3]);
  glGetDoublev(GL_MODELVIEW_MATRIX, s.modelview);
  s.vertex_array = glIsEnabled(GL_VERTEX_ARRAY);
  return s;
}

TEST(FieldCull, LeavesTheSameStateWhenTheFarCornerIsSkipped) {
  Play_State* ps = play();
  ps->statetransfer_init(&sys);
  ps->field.field_init(13, 13);
  for (bool marks : {false, true}) {
    SCOPED_TRACE(marks);
    // Looking back out of the entrance: the far corner and the door are behind the eye.
    const Left_state all = draw_field_alone(ps, cell(1, 0), 3.0, false);
    Vorna_Field::Draw_count drawn;
    const Left_state some = draw_field_alone(ps, cell(1, 0), 3.0, true, &drawn);
    EXPECT_LT(drawn.walls, 13 * 13 / 4);
    EXPECT_TRUE(all == some);
    EXPECT_FALSE(some.vertex_array);             // GLUT's shapes switched it off
    EXPECT_FLOAT_EQ(some.material[1][1], 1.0f);  // green, with marks or without
    EXPECT_FLOAT_EQ(some.material[1][0], 0.0f);
    ps->field.markings.push_back(VECTORD{5.0, 1.0, 2.5});  // on the wall beside the start
  }
}

// The field as the play state draws it, after `setup` placed the camera.
struct Scene {
  std::string name;
  VECTORD eye;
  double yaw;  // quarter turns (eye level) or degrees (overhead)
  bool overhead;
  bool fog;
};

gltest::Frame render(Play_State* ps, const Scene& s, bool skip, Vorna_Field::Draw_count* drawn) {
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
  ps->begin_frame();
  *drawn = ps->field.field_draw(skip);
  ps->finish_frame(&sys);
  return gltest::read_back_buffer();
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
  out.push_back({"start turning", cell(1, 0), 1.25, false, true});
  for (int k = 0; k < stops; ++k) {
    const size_t i = 1 + (path.size() - 3) * static_cast<size_t>(k) / (stops - 1);
    const Cell here = path[i], next = path[i + 1];
    const VECTORD at = cell(here.first, here.second);
    const VECTORD to = cell(next.first, next.second);
    const int h = heading(here, next);
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

// A scene that came out different, kept in the working directory: the maze, the camera and
// both pictures, so that it can be drawn again and looked at.
void keep_for_replay(Play_State* ps, const Scene& s, const gltest::Frame& all,
                     const gltest::Frame& some) {
  static int kept = 0;
  const std::string name = "mismatch-" + std::to_string(kept++);
  if (FILE* f = std::fopen((name + ".txt").c_str(), "w")) {
    std::fprintf(f, "eye %.17g %.17g %.17g yaw %.17g overhead %d fog %d window %d %d\n", s.eye.x,
                 s.eye.y, s.eye.z, s.yaw, s.overhead, s.fog, all.width, all.height);
    for (const auto& row : ps->field.grid)
      std::fprintf(f, "%s\n", std::string(row.begin(), row.end()).c_str());
    for (const VECTORD& m : ps->field.markings)
      std::fprintf(f, "mark %.17g %.17g %.17g\n", m.x, m.y, m.z);
    std::fclose(f);
  }
  for (const auto& [suffix, fr] : {std::pair{"-all.ppm", &all}, std::pair{"-skipping.ppm", &some}})
    if (FILE* f = std::fopen((name + suffix).c_str(), "wb")) {
      std::fprintf(f, "P6\n%d %d\n255\n", fr->width, fr->height);
      std::fwrite(fr->rgb.data(), 1, fr->rgb.size(), f);
      std::fclose(f);
    }
  std::printf("kept as %s.txt and .ppm\n", name.c_str());
}

TEST(FieldCull, SamePixelsWithAndWithoutSkippingAlongASolvedPath) {
  struct Run {
    int n, stops, width, height;
  };
  Play_State* ps = play();
  int compared = 0;
  for (const Run& run :
       {Run{13, 5, 500, 500}, Run{53, 7, 500, 500}, Run{99, 7, 500, 500}, Run{53, 3, 640, 360},
        Run{13, 3, 1200, 300}, Run{13, 3, 2400, 60}, Run{13, 3, 100, 1000}}) {
    const int n = run.n;
    gltest::open_window(run.width, run.height);
    ps->resize(run.width, run.height, &sys);  // the game's projection for that window
    glClear(GL_COLOR_BUFFER_BIT);             // the read-back covers the whole window
    ASSERT_EQ(gltest::read_back_buffer().count(0, 0, run.width, run.height, gltest::is_white),
              run.width * run.height);
    ps->statetransfer_init(&sys);
    ps->field.field_init(n, n);  // the items stay: they are drawn after the field
    ASSERT_EQ(maze_size(ps), n);
    long walls[2][2] = {}, marks[2] = {};  // [overhead][skipping]
    for (const Scene& s : scenes_along_path(ps, n, run.stops)) {
      SCOPED_TRACE(std::to_string(n) + " " + s.name + " yaw " + std::to_string(s.yaw) + " y " +
                   std::to_string(s.eye.y) + " window " + std::to_string(run.width));
      Vorna_Field::Draw_count every, seen;
      const gltest::Frame all = render(ps, s, false, &every);
      // The floor is the same draw either way and every wall a draw of its own, so skipping
      // leaves out whole draws and changes no pixel of what stays.
      const gltest::Frame some = render(ps, s, true, &seen);
      int differ = 0;
      for (size_t i = 0; i < all.rgb.size(); ++i) differ += all.rgb[i] != some.rgb[i];
      EXPECT_EQ(differ, 0);
      if (differ != 0) keep_for_replay(ps, s, all, some);
      walls[s.overhead][0] += every.walls, walls[s.overhead][1] += seen.walls;
      marks[0] += every.marks, marks[1] += seen.marks;
      ++compared;
    }
    std::printf(
        "%dx%d, %dx%d window: drawn with skipping %ld of %ld walls at eye level, %ld of %ld "
        "walls from above, %ld of %ld marks\n",
        n, n, run.width, run.height, walls[0][1], walls[0][0], walls[1][1], walls[1][0], marks[1],
        marks[0]);
    // Both kinds of skipping must have taken effect, not only kept the picture: the view
    // volume alone leaves about a sixth of a large maze.
    if (n >= 53) {
      EXPECT_LT(walls[0][1] * 20, walls[0][0]);
      EXPECT_LT(walls[1][1] * 2, walls[1][0]);
      EXPECT_LT(marks[1], marks[0]);
    }
  }
  std::printf("compared %d scenes byte for byte\n", compared);
  gltest::open_window(500, 500);
  ps->resize(500, 500, &sys);
}

// Every click keeps its mark, so clicks at one wall pile up identical marks; each place is drawn
// once, so a thousand clicks give the picture and the draws of one.
TEST(FieldCull, MarksClickedAgainAndAgainDrawOnceWithTheSamePixels) {
  Play_State* ps = play();
  ps->statetransfer_init(&sys);
  ps->field.grid =
      grid_of({"#######", "______#", "#######", "#######", "#######", "#######", "#######"});
  ps->field.markings.clear();
  GLuint query = 0;
  glGenQueries(1, &query);
  // The field from the entrance along the corridor, the marks on its left wall in sight:
  // pixels, the marks the field drew, and the primitives GL drew for it.
  auto picture = [&](bool skip, Vorna_Field::Draw_count* drawn, GLuint* primitives) {
    place(ps, cell(1, 0), 1);
    ps->begin_frame();
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    *drawn = ps->field.field_draw(skip);
    glEndQuery(GL_PRIMITIVES_GENERATED);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, primitives);
    ps->finish_frame(&sys);
    return gltest::read_back_buffer();
  };
  const auto click_left_wall = [&](int column) {
    place(ps, cell(1, column), 0);
    ps->mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0, &sys);
  };
  for (bool skip : {false, true}) {
    SCOPED_TRACE(skip);
    ps->field.markings.clear();
    Vorna_Field::Draw_count none, one, many;
    GLuint bare = 0, first = 0, later = 0;
    const gltest::Frame without = picture(skip, &none, &bare);
    for (int column : {1, 2}) click_left_wall(column);
    const gltest::Frame with = picture(skip, &one, &first);
    EXPECT_EQ(one.marks, 2);
    EXPECT_GT(first, bare);
    EXPECT_NE(with.rgb, without.rgb);  // the marks are in sight
    for (int i = 0; i < 999; ++i)
      for (int column : {1, 2}) click_left_wall(column);
    ASSERT_EQ(ps->field.markings.size(), 2000u);  // the list keeps them all
    const gltest::Frame again = picture(skip, &many, &later);
    EXPECT_EQ(many.marks, 2);
    EXPECT_EQ(later, first);
    EXPECT_TRUE(again.rgb == with.rgb);
  }
  glDeleteQueries(1, &query);
  ps->field.markings.clear();
}

}  // namespace

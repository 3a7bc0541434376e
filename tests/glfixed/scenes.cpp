// The game's own drawing code, scene by scene, read back into pictures. Built twice: against
// the system's OpenGL (as the game is) and against glfixed over ES 2.0. tests/test_glfixed.cpp
// compares the two sets of pictures; bench/glfixed_bench.cpp times both.
//
//   glfixed_scenes_* OUT_DIR             writes OUT_DIR/<build>/<scene>.ppm and a list of the
//                                        scenes, OUT_DIR/<build>/scenes.txt (build: system, es)
//   glfixed_scenes_* OUT_DIR --bench F   times the benchmark scenes into the file F
//
// Mazes are generated once into OUT_DIR/maze_<n>/ and read back by whichever build runs later.
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/data_files.h"
#include "app/gamesystem.h"
#include "glfixed/scene_context.h"
#include "maze/maze_gen.h"
#include "objects/enemy.h"
#include "objects/items.h"
#include "screens/menu_state.h"
#include "screens/status.h"
#include "support/play_driver.h"

namespace fs = std::filesystem;
using playtest::Cell;
using playtest::heading;

namespace {

constexpr int kSize = 500;

struct Scene {
  std::string name;
  std::string group;
  std::function<void()> setup;
  std::function<void()> frame;
  std::string bench;  // label in the benchmark table, "" when not timed
};

fs::path g_out;

Play_State* play() {
  return static_cast<Play_State*>(State::State_list[PLAY]);
}

void display() {
  sys.display();
}

// What Vorna_Gamesystem::init and the first reshape leave behind, without the music.
void start_up() {
  scenes::open_context(kSize, kSize);
  set_start_up_gl_state();
  sys.kanji.load(VORNA_RUN_DIR "/shnm16.f1b");
  sys.current_state = Create_StateInstance();
  sys.resize(kSize, kSize);
}

// A fresh stage of size n as the play state sets one up (life full, fog on, both items), on the
// maze kept for n; the player in the middle of the solved path, facing along it.
struct Stage {
  std::vector<Cell> path;
  size_t mid = 0;
  int along = 0;
};

Stage stage(int n) {
  Play_State* ps = play();
  const fs::path scratch = g_out / "scratch";
  fs::create_directories(scratch);
  choose_maze_file_dir(scratch.string());
  ps->statetransfer_init(&sys);
  const fs::path dir = g_out / ("maze_" + std::to_string(n));
  choose_maze_file_dir(dir.string());
  if (!fs::exists(maze_file())) {
    fs::create_directories(dir);
    create_vorna(n, n);
  }
  ps->field.field_load(n);
  sys.current_state = ps;

  Stage s;
  const auto& g = ps->field.grid;
  const int size = static_cast<int>(g.size());
  s.path = playtest::shortest_path(g, {1, 0}, {size - 2, size - 1});
  s.mid = s.path.size() / 2;
  s.along = heading(s.path[s.mid], s.path[s.mid + 1]);
  playtest::place(ps, playtest::cell(s.path[s.mid].first, s.path[s.mid].second), s.along);
  return s;
}

VECTORD at(Cell c) {
  return playtest::cell(c.first, c.second);
}

// From the middle on, the first stretch of the path `cells` long that runs straight.
size_t straight_stretch(const Stage& s, size_t cells) {
  for (size_t k = s.mid; k + cells <= s.path.size(); ++k) {
    bool straight = true;
    for (size_t i = k + 1; i + 1 < k + cells; ++i)
      straight = straight && heading(s.path[i - 1], s.path[i]) == heading(s.path[i], s.path[i + 1]);
    if (straight) return k;
  }
  return s.mid;
}

// Along a straight stretch: the teapot one cell ahead on the right, the ball two cells ahead
// on the left, and a green mark on a side wall of the first cell.
void objects_ahead(int n) {
  const Stage s = stage(n);
  Play_State* ps = play();
  const size_t k = straight_stretch(s, 3);
  const int along = heading(s.path[k], s.path[k + 1]);
  playtest::place(ps, at(s.path[k]), along);
  const VECTORD right = Play_State::dir[(along + 1) % 4] / (5.0 / 1.2);  // 1.2 to the right
  auto ahead = [&](size_t cells) { return at(s.path[std::min(k + cells, s.path.size() - 1)]); };
  for (field_object* o : ps->field.item_list) {
    if (auto* t = dynamic_cast<Item_teapod*>(o)) {
      t->pos = ahead(1) + right;
      for (int i = 0; i < 20; ++i) t->move(ps->field);  // turned 40 degrees
    } else {
      o->pos = ahead(2) - right;
      o->pos.y = 1.25;
    }
  }
  for (int side : {(along + 1) % 4, (along + 3) % 4}) {
    if (!ps->field.move_enable(ahead(1) + Play_State::dir[side])) {
      VECTORD mark = ahead(1) + Play_State::dir[side] / 2.0;
      mark.y = 1.0;
      ps->field.markings.push_back(mark);
      break;
    }
  }
}

std::vector<Scene> scene_table() {
  std::vector<Scene> t;
  for (int scroll : {205, 505, 1005, 1400}) {
    t.push_back({"title-" + std::to_string(scroll), "pages",
                 [scroll] {
                   auto* menu = static_cast<Menu_State*>(State::State_list[MENU]);
                   menu->scroll = scroll < 1400 ? scroll - 5 : scroll;
                   sys.current_state = menu;
                 },
                 display, ""});
  }
  for (int hp : {10000, 6789, 2500, 37}) {
    t.push_back({"lifebar-" + std::to_string(hp), "life bar", [] {},
                 [hp] {
                   glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                   draw_info(&sys, hp);
                 },
                 ""});
  }
  for (int n : {13, 53, 99}) {
    const std::string m = "maze" + std::to_string(n);
    const std::string group = "maze " + std::to_string(n);
    for (int h = 0; h < 4; ++h)
      t.push_back({m + "-heading" + std::to_string(h), group,
                   [n, h] {
                     const Stage s = stage(n);
                     playtest::place(play(), at(s.path[s.mid]), h);
                   },
                   display, ""});
    t.push_back({m + "-along", group, [n] { stage(n); }, display,
                 n == 53 ? "" : "eye level " + std::to_string(n)});
    t.push_back({m + "-fog-off", group,
                 [n] {
                   stage(n);
                   glDisable(GL_FOG);
                 },
                 display, ""});
    t.push_back({m + "-mid-step", group,
                 [n] {  // half way to the next cell, a cone one cell further on
                   const Stage s = stage(n);
                   play()->field.player_pos += Play_State::dir[s.along] / 2.0;
                   VECTORD base = at(s.path[s.mid + 1]) + Play_State::dir[s.along];
                   base.y = 0.5;
                   play()->field.enemy_list.push_back(new enemy(base, s.along));
                 },
                 display, ""});
    t.push_back({m + "-mid-turn", group,
                 [n] {
                   const Stage s = stage(n);
                   play()->direction = (s.along + 1) % 4;
                   play()->view_angle = s.along + 0.5;
                 },
                 display, ""});
    t.push_back({m + "-objects", group, [n] { objects_ahead(n); }, display, ""});
  }
  for (int n : {13, 53, 99})
    for (double y : {6.0, 11.0}) {
      const std::string name =
          "overhead" + std::to_string(n) + "-y" + std::to_string(static_cast<int>(y));
      t.push_back({name, "overhead",
                   [n, y] {
                     const Stage s = stage(n);
                     Play_State* ps = play();
                     ps->overview = true;
                     ps->overview_angle = s.along * 90.0;
                     ps->field.player_pos.y = y;
                   },
                   display, y == 6.0 && n != 53 ? "overhead " + std::to_string(n) : ""});
    }
  // The game-over page after a maze frame (fog on, the maze's materials current), and the frame
  // after it, which starts from what the first left behind.
  for (const char* name : {"gameover", "gameover-again"})
    t.push_back({name, "pages",
                 [name] {
                   if (std::strcmp(name, "gameover") == 0) {
                     objects_ahead(13);
                     display();
                   }
                   play()->hp = 0;
                 },
                 display, ""});
  return t;
}

void write_ppm(const fs::path& file) {
  std::vector<unsigned char> rgba(kSize * kSize * 4);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  std::ofstream out(file, std::ios::binary);
  out << "P6\n" << kSize << ' ' << kSize << "\n255\n";
  for (int y = kSize - 1; y >= 0; --y)  // GL rows are bottom first
    for (int x = 0; x < kSize; ++x)
      out.write(reinterpret_cast<char*>(&rgba[(y * kSize + x) * 4]), 3);
}

int pictures(const std::vector<Scene>& table) {
  const fs::path dir = g_out / scenes::context_name();
  fs::create_directories(dir);
  std::ofstream list(dir / "scenes.txt");
  for (const Scene& s : table) {
    s.setup();
    s.frame();
    write_ppm(dir / (s.name + ".ppm"));
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
      std::fprintf(stderr, "%s: GL error 0x%x\n", s.name.c_str(), error);
      return 1;
    }
    list << s.name << '\t' << s.group << '\n';
  }
  return 0;
}

// Median frame time (the frame drawn and finished) over at least 2 seconds and 20 frames.
int bench(const std::vector<Scene>& table, const fs::path& file) {
  std::ofstream out(file);
  for (const Scene& s : table) {
    if (s.bench.empty()) continue;
    s.setup();
    for (int i = 0; i < 5; ++i) s.frame();
    glFinish();
    scenes::reset_draw_counts();
    std::vector<double> ms;
    const auto start = std::chrono::steady_clock::now();
    while (ms.size() < 20 || std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
      const auto t0 = std::chrono::steady_clock::now();
      s.frame();
      glFinish();
      ms.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    unsigned long calls = 0, draws = 0;
    const bool counted = scenes::draw_counts(&calls, &draws);
    const double frames = static_cast<double>(ms.size());
    out << s.bench << '\t' << ms[ms.size() / 2] << '\t' << (counted ? calls / frames : -1.0) << '\t'
        << (counted ? draws / frames : -1.0) << '\n';
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--bench") == 0)) {
    std::fprintf(stderr, "usage: %s OUT_DIR [--bench FILE]\n", argv[0]);
    return 2;
  }
  g_out = argv[1];
  fs::create_directories(g_out);
  start_up();
  const std::vector<Scene> table = scene_table();
  return argc == 4 ? bench(table, argv[3]) : pictures(table);
}

// The game's own drawing code, scene by scene, read back into pictures. Built twice: against
// the system's OpenGL (as the game is) and against glfixed over ES 2.0. tests/test_glfixed.cpp
// compares the two sets of pictures; bench/glfixed_bench.cpp times both.
//
//   glfixed_scenes_* OUT_DIR             writes OUT_DIR/<build>/<scene>.ppm and a list of the
//                                        scenes, OUT_DIR/<build>/scenes.txt (build: system, es),
//                                        then what GL refuses, OUT_DIR/<build>/checks.txt
//   glfixed_scenes_* OUT_DIR --bench F   times the benchmark scenes into the file F
//
// Mazes are generated once into OUT_DIR/maze_<n>/ and read back by whichever build runs later.
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/gamesystem.h"
#include "glfixed/scene_context.h"
#include "maze/maze_gen.h"
#include "objects/enemy.h"
#include "objects/items.h"
#include "platform/data_files.h"
#include "screens/menu_state.h"
#include "screens/status.h"
#include "screens/texts.h"
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

// GL places bitmaps and wide lines in window space and clips them to the window, not to the
// viewport: the life bar (its width) and text across every edge of a viewport half the window.
void viewport_edges() {
  glViewport(0, 0, kSize, kSize);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const int half = kSize / 2;
  glViewport(half / 2, half / 2, half, half);
  draw_info(&sys, 10000);
  sys.kanji.print(half - 12, 100, texts::gameover_line);  // right
  sys.kanji.print(40, -8, texts::gameover_line);          // top
  sys.kanji.print(half - 20, -6, texts::gameover);        // corner
  sys.kanji.print(half + 4, 60, texts::gameover);         // its raster position outside: none
  glViewport(0, 0, kSize, kSize);
}

// The scene drawn, its context lost and drawn into with none (nothing drawn, nothing crashes),
// then drawn in a new one, where the layer has remade its objects: the same picture as the scene's
// own, with all the state the game set kept.
Scene restored(const Scene& s) {
  return {s.name + "-restored", s.group,
          [s] {
            s.setup();
            s.frame();
            const bool dropped = scenes::drop_context();
            s.frame();
            if (!dropped || !scenes::new_context()) {
              std::fprintf(stderr, "%s: the context could not be dropped and renewed\n",
                           s.name.c_str());
              std::exit(1);
            }
          },
          s.frame, ""};
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
  t.push_back({"viewport-edges", "window space", [] {}, viewport_edges, ""});
  t.push_back(restored(t[3]));  // the title at rest: text
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
    if (n == 13) t.push_back(restored(t.back()));  // lit, fogged, the depth test, the life bar
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

// Between glBegin and glEnd GL takes vertices, normals, colours and materials, and refuses every
// other command with GL_INVALID_OPERATION: the command does nothing. Each case runs from the same
// state; what can be seen afterwards (queries, stacks, a probe drawing) is compared with what is
// seen when nothing is called there.
constexpr int kProbe = 64;
alignas(8) std::array<GLubyte, 128> g_sink;  // what queries inside glBegin/glEnd write
template <typename T>
T* sink() {
  return reinterpret_cast<T*>(g_sink.data());
}
const GLfloat kNormalsAway[9] = {0, 0, -1, 0, 0, -1, 0, 0, -1};
const GLfloat kArrayTriangle[9] = {4, 4, -0.5f, 60, 4, -0.5f, 4, 60, -0.5f};
const GLfloat kOtherTriangle[9] = {60, 60, -0.5f, 4, 60, -0.5f, 60, 4, -0.5f};
const GLubyte kBits[16] = {0xf0, 0x0f, 0x3c, 0xc3, 0xaa, 0x55, 0x81, 0x7e,
                           0x18, 0xe7, 0x66, 0x99, 0xff, 0x01, 0x80, 0x42};

void triangle(double x, double y, double z, double size) {
  glBegin(GL_TRIANGLES);
  glVertex3d(x, y, z);
  glVertex3d(x + size, y, z);
  glVertex3d(x, y + size, z);
  glEnd();
}

void probe_start() {
  g_sink.fill(0xa5);
  glViewport(0, 0, kSize, kSize);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
  glViewport(0, 0, kProbe, kProbe);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kProbe, 0, kProbe, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glPushMatrix();
  glTranslated(1, 2, 0);
  glPushAttrib(GL_ENABLE_BIT);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_FOG);
  glDisable(GL_DEPTH_TEST);
  const GLfloat light[4] = {1, 1, 1, 0}, material[4] = {0.2f, 0.8f, 0.4f, 1}, fog[4] = {0, 0, 1, 1};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
  glFogi(GL_FOG_MODE, GL_EXP);
  glFogf(GL_FOG_DENSITY, 1.0f);
  glFogfv(GL_FOG_COLOR, fog);
  glNormal3d(0, 0, 1);
  glColor3f(0.5f, 0.0f, 0.0f);
  glLineWidth(3.0f);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glEnableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, kArrayTriangle);
  glNormalPointer(GL_FLOAT, 0, kNormalsAway);
  glRasterPos2i(40, 40);
  triangle(50, 2, 0, 8);  // what a clear would wipe out
  glGetError();
}

std::vector<float> probe_seen() {
  std::vector<float> seen(g_sink.begin(), g_sink.end());
  auto query = [&](GLenum pname, int n) {
    GLfloat v[16];
    glGetFloatv(pname, v);
    seen.insert(seen.end(), v, v + n);
  };
  query(GL_MATRIX_MODE, 1);
  query(GL_VIEWPORT, 4);
  query(GL_MODELVIEW_MATRIX, 16);
  query(GL_PROJECTION_MATRIX, 16);
  query(GL_CURRENT_COLOR, 4);
  query(GL_CURRENT_NORMAL, 3);
  auto pixels = [&](int size) {
    std::vector<GLubyte> p(static_cast<std::size_t>(size) * size * 4);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    seen.insert(seen.end(), p.begin(), p.end());
  };
  pixels(kProbe);
  triangle(4, 30, -0.2, 20);  // lit and fogged; near, then far across it: the depth test
  triangle(10, 36, -0.8, 20);
  glBegin(GL_LINES);
  glVertex3d(30, 10, -0.5);
  glVertex3d(60, 20, -0.5);
  glEnd();
  glBitmap(8, 4, 0, 0, 0, 0, kBits);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  pixels(kProbe);
  glClear(GL_COLOR_BUFFER_BIT);
  pixels(1);
  glMatrixMode(GL_MODELVIEW);
  for (void (*pop)() : {glPopMatrix, glPopMatrix, glPopAttrib, glPopAttrib}) {
    pop();
    seen.push_back(static_cast<float>(glGetError()));
  }
  return seen;
}

struct Check {
  const char* name;
  std::function<void()> call;
};

std::vector<Check> begin_end_checks() {
  static const GLfloat v4[4] = {0.5f, -1, 0.25f, 0},
                       m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 3, 3, 0, 1};
  static const GLubyte index[3] = {0, 1, 2};
  return {
      {"MatrixMode", [] { glMatrixMode(GL_PROJECTION); }},
      {"LoadIdentity", [] { glLoadIdentity(); }},
      {"LoadMatrixf", [] { glLoadMatrixf(m); }},
      {"PushMatrix", [] { glPushMatrix(); }},
      {"PopMatrix", [] { glPopMatrix(); }},
      {"Translated", [] { glTranslated(3, 4, 0); }},
      {"Rotated", [] { glRotated(30, 0, 0, 1); }},
      {"Ortho", [] { glOrtho(0, 32, 0, 32, -1, 1); }},
      {"gluPerspective", [] { gluPerspective(60, 1, 1, 10); }},
      {"gluOrtho2D", [] { gluOrtho2D(0, 32, 0, 32); }},
      {"GetDoublev", [] { glGetDoublev(GL_MODELVIEW_MATRIX, sink<GLdouble>()); }},
      {"GetFloatv", [] { glGetFloatv(GL_MODELVIEW_MATRIX, sink<GLfloat>()); }},
      {"GetIntegerv", [] { glGetIntegerv(GL_VIEWPORT, sink<GLint>()); }},
      {"GetError", [] { g_sink[0] = glGetError() != GL_NO_ERROR ? 1 : g_sink[0]; }},
      {"GetString", [] { g_sink[0] = glGetString(GL_VERSION) ? 1 : g_sink[0]; }},
      {"ReadPixels", [] { glReadPixels(50, 2, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, sink<GLubyte>()); }},
      {"Begin", [] { glBegin(GL_LINES); }},
      {"Vertex3d", [] { glVertex3d(1, 1, 0); }},
      {"Normal3d", [] { glNormal3d(1, 0, 0); }},
      {"Color3f", [] { glColor3f(0, 1, 0); }},
      {"Color4f", [] { glColor4f(0, 1, 0, 1); }},
      {"Materialfv", [] { glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, v4); }},
      {"LineWidth", [] { glLineWidth(7); }},
      {"Lightfv", [] { glLightfv(GL_LIGHT0, GL_POSITION, v4); }},
      {"Fogi", [] { glFogi(GL_FOG_DENSITY, 3); }},
      {"Fogf", [] { glFogf(GL_FOG_DENSITY, 0.25f); }},
      {"Fogfv", [] { glFogfv(GL_FOG_COLOR, v4); }},
      {"Enable", [] { glEnable(GL_DEPTH_TEST); }},
      {"Disable", [] { glDisable(GL_LIGHTING); }},
      {"PushAttrib", [] { glPushAttrib(GL_LIGHTING_BIT); }},
      {"PopAttrib", [] { glPopAttrib(); }},
      {"EnableClientState", [] { glEnableClientState(GL_NORMAL_ARRAY); }},
      {"DisableClientState", [] { glDisableClientState(GL_VERTEX_ARRAY); }},
      {"VertexPointer", [] { glVertexPointer(3, GL_FLOAT, 0, kOtherTriangle); }},
      {"NormalPointer", [] { glNormalPointer(GL_FLOAT, 0, kArrayTriangle); }},
      {"TexCoordPointer", [] { glTexCoordPointer(2, GL_FLOAT, 0, kArrayTriangle); }},
      {"DrawArrays", [] { glDrawArrays(GL_TRIANGLES, 0, 3); }},
      {"DrawElements", [] { glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_BYTE, index); }},
      {"RasterPos2i", [] { glRasterPos2i(10, 10); }},
      {"Bitmap", [] { glBitmap(8, 4, 0, 0, 5, 0, kBits); }},
      {"PixelStorei", [] { glPixelStorei(GL_UNPACK_ALIGNMENT, 1); }},
      {"Clear", [] { glClear(GL_COLOR_BUFFER_BIT); }},
      {"ClearColor", [] { glClearColor(1, 0, 0, 1); }},
      {"Viewport", [] { glViewport(0, 0, 32, 32); }},
      {"Finish", [] { glFinish(); }},
      {"Flush", [] { glFlush(); }},
  };
}

// One line per command: its name, the error after glEnd, and whether anything changed.
int checks() {
  std::ofstream out(g_out / scenes::context_name() / "checks.txt");
  probe_start();
  glBegin(GL_TRIANGLES);
  glEnd();
  const std::vector<float> unchanged = probe_seen();
  for (const Check& c : begin_end_checks()) {
    probe_start();
    glBegin(GL_TRIANGLES);
    c.call();
    glEnd();
    const GLenum error = glGetError();
    out << c.name << "\t0x" << std::hex << error << '\t'
        << (probe_seen() == unchanged ? "no effect" : "effect") << '\n';
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
  if (argc == 4) return bench(table, argv[3]);
  return pictures(table) != 0 ? 1 : checks();
}

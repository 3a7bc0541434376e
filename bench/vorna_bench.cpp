// Cost of the play screen: one frame (display + swap, finished) at maze sizes 13, 53 and 99,
// at eye level with and without the skipping of unseen things and in the overhead view, and
// one game tick at 99, in a real 500 x 500 freeglut window (llvmpipe under Xvfb here).
// Also counts what the field draws at 99 for a view from the middle of the solved path.
// Run from the run directory: the stage set-up writes "vorna.txt" into the working directory.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/gamesystem.h"
#include "app/platform.h"
#include "app/state.h"
#include "input/gamepads.h"
#include "screens/play_state.h"
#include "support/maze_walk.h"

namespace {

constexpr int kWarmUpFrames = 10;
enum View { kEyeLevel, kEyeLevelDrawAll, kOverhead };
const char* const kViewName[] = {"eye level, skipping unseen", "eye level, drawing all",
                                 "overhead (y 6), skipping"};
std::map<std::pair<int, int>, double> g_median_ms;  // (view, maze size) -> median frame time

void on_display() {}

double process_cpu_ms() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void open_game_window() {
  int argc = 1;
  char name[] = "vorna_bench";
  char* argv[] = {name, nullptr};
  glutInitWindowPosition(1, 1);
  glutInitWindowSize(500, 500);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow("vorna_bench");
  glutDisplayFunc(on_display);
  for (int i = 0; i < 50; ++i) glutMainLoopEvent();

  // The game's global GL state and its screens, as start-up leaves them.
  set_start_up_gl_state();
  sys.current_state = Create_StateInstance();
  sys.current_state = State::State_list[PLAY];
  sys.resize(500, 500);
}

// A stage as the play state sets it up, then rebuilt at the wanted size: the eye at the
// entrance, fog on, both items in place.
Play_State* stage_of_size(int n) {
  auto* ps = static_cast<Play_State*>(State::State_list[PLAY]);
  ps->statetransfer_init(&sys);
  ps->field.field_init(n, n);
  return ps;
}

// The stage's start: at the entrance looking along the first row; from above, one 'b' press.
void BM_Frame(benchmark::State& state, View view) {
  const int n = static_cast<int>(state.range(0));
  Play_State* ps = stage_of_size(n);
  const bool skip = view != kEyeLevelDrawAll;
  Vorna_Field::Draw_count drawn;
  // The play screen's frame, its field drawn with or without skipping.
  auto frame = [&] {
    ps->begin_frame();
    drawn = ps->field.field_draw(skip);
    ps->finish_frame(&sys);
  };
  if (view == kOverhead) {
    ps->overview_angle = ps->view_angle * 90.0;
    ps->field.player_pos.y += 5.0;
    ps->overview = true;
  }
  for (int i = 0; i < kWarmUpFrames; ++i) {
    frame();
    glutSwapBuffers();
  }
  glFinish();

  std::vector<double> frame_ms;
  const double cpu0 = process_cpu_ms();
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    frame();
    glutSwapBuffers();
    glFinish();
    frame_ms.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  // All threads (llvmpipe rasterises on its own): steadier than wall time on a busy machine.
  state.counters["proc_cpu_ms"] = (process_cpu_ms() - cpu0) / static_cast<double>(frame_ms.size());
  std::sort(frame_ms.begin(), frame_ms.end());
  const double median = frame_ms[frame_ms.size() / 2];
  g_median_ms[{view, n}] = median;
  state.counters["median_ms"] = median;
  state.counters["max_ms"] = frame_ms.back();
  state.counters["walls"] = drawn.walls;
  state.SetLabel(std::to_string(ps->field.grid.size()) + "x" +
                 std::to_string(ps->field.grid.empty() ? 0 : ps->field.grid[0].size()));
  ps->overview = false;
}
// Each frame kind at the first, a middle and the largest maze size.
void maze_sizes(benchmark::internal::Benchmark* b) {
  b->Arg(13)->Arg(53)->Arg(99)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
}
BENCHMARK_CAPTURE(BM_Frame, eye_level, kEyeLevel)->Apply(maze_sizes);
BENCHMARK_CAPTURE(BM_Frame, eye_level_draw_all, kEyeLevelDrawAll)->Apply(maze_sizes);
BENCHMARK_CAPTURE(BM_Frame, overhead, kOverhead)->Apply(maze_sizes);

// One idle tick of the 99 x 99 stage: items spun and touch-tested, life drained.
void BM_Tick(benchmark::State& state) {
  Play_State* ps = stage_of_size(99);
  for (auto _ : state) {
    sys.timer(0);
    if (ps->hp < -1000000) ps->hp = 10000;
  }
  state.counters["items"] = static_cast<double>(ps->field.item_list.size());
}
BENCHMARK(BM_Tick)->Unit(benchmark::kMicrosecond);

// The timer callback's gamepad read with no pad connected, against the tick it comes with:
// batches with and without the read, alternating so that the machine's load falls on both alike;
// once for the game's tick alone (99 x 99), once for the tick and the frame it asks for (13 x 13,
// display, swap, finish), as the game runs every 100 ms.
void BM_GamepadReadPerTick(benchmark::State& state) {
  const input::Handlers to{[](unsigned char k, int x, int y) { sys.keyboard(k, x, y); },
                           [](int k, int x, int y) { sys.sp_keyboard(k, x, y); },
                           [](int b, int s, int x, int y) { sys.mouse(b, s, x, y); }};
  input::Gamepads pads;
  using Clock = std::chrono::steady_clock;
  const auto t0 = Clock::now();
  pads.tick(to, 250, 250);  // the first read starts the platform's controller support
  const double start_ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  const struct {
    int maze, batch;
    bool frame;
    const char* name;
  } kinds[] = {{99, 2000, false, "tick"}, {13, 20, true, "tick and frame"}};
  for (const auto& kind : kinds) {
    Play_State* ps = stage_of_size(kind.maze);
    std::vector<double> us[2];  // without, with the read
    for (int round = 0; round < 40; ++round)
      for (int read = 0; read < 2; ++read) {
        const auto b0 = Clock::now();
        for (int i = 0; i < kind.batch; ++i) {
          if (read) pads.tick(to, 250, 250);
          sys.timer(0);
          if (!kind.frame) continue;
          sys.display();
          glutSwapBuffers();
          glFinish();
        }
        us[read].push_back(std::chrono::duration<double, std::micro>(Clock::now() - b0).count() /
                           kind.batch);
        ps->hp = 10000;
      }
    for (auto& v : us) std::sort(v.begin(), v.end());
    const double without = us[0][us[0].size() / 2], with = us[1][us[1].size() / 2];
    state.counters[std::string(kind.name) + " us"] = without;
    state.counters[std::string(kind.name) + " ratio"] = with / without;
    std::printf("\ngamepad read, no pad, per %-15s %10.3f us without, %10.3f us with: ratio %.4f",
                kind.name, without, with, with / without);
  }
  std::printf("\nfirst read (starts the controller support): %.2f ms; pads seen: %zu\n", start_ms,
              connected_gamepads().size());
  for (auto _ : state) {
  }
}
BENCHMARK(BM_GamepadReadPerTick)->Iterations(1)->Unit(benchmark::kMillisecond);

void print_summary() {
  std::printf("\nframe median, ms          13x13    53x53    99x99   99/13\n");
  for (int view : {kEyeLevel, kEyeLevelDrawAll, kOverhead}) {
    auto ms = [&](int n) {
      const auto it = g_median_ms.find({view, n});
      return it == g_median_ms.end() ? -1.0 : it->second;
    };
    if (ms(13) <= 0.0 || ms(99) <= 0.0) continue;
    std::printf("%-26s %6.2f   %6.2f   %6.2f   %5.2f\n", kViewName[view], ms(13), ms(53), ms(99),
                ms(99) / ms(13));
  }
}

// A view from the middle of the solved 99 x 99 path, along it: what the field draws.
void count_mid_path_view() {
  Play_State* ps = stage_of_size(99);
  const int n = static_cast<int>(ps->field.grid.size());
  const auto path = playtest::shortest_path(ps->field.grid, {1, 0}, {n - 2, n - 1});
  if (path.size() < 3) return;
  const auto here = path[path.size() / 2], next = path[path.size() / 2 + 1];
  ps->view_angle = ps->direction = playtest::heading(here, next);
  ps->field.player_pos = playtest::cell(here.first, here.second);
  Vorna_Field::Draw_count drawn[2];
  ps->begin_frame();
  for (bool skip : {false, true}) drawn[skip] = ps->field.field_draw(skip);
  std::printf("\n99x99 from the middle of the solved path (row %d, column %d, heading %d):\n",
              here.first, here.second, ps->direction);
  std::printf("  drawing all:      %5d wall cubes\n", drawn[0].walls);
  std::printf("  skipping unseen:  %5d wall cubes\n", drawn[1].walls);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!window_system_ready(argc, argv)) return 1;
  open_game_window();
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  print_summary();
  count_mid_path_view();
  return 0;
}

// Cost of the play screen: one frame (display + swap, finished) at maze sizes 13, 53 and 99,
// and one game tick at 99, in a real 500 x 500 freeglut window (llvmpipe under Xvfb here).
// Run from the run directory: the stage set-up writes "vorna.txt" into the working directory.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

#include "app/gamesystem.h"
#include "app/platform.h"
#include "app/state.h"
#include "screens/play_state.h"

namespace {

constexpr int kWarmUpFrames = 10;
std::map<int, double> g_median_ms;  // maze size -> median frame time

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
  glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnableClientState(GL_VERTEX_ARRAY);
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

void BM_Frame(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Play_State* ps = stage_of_size(n);
  for (int i = 0; i < kWarmUpFrames; ++i) {
    sys.display();
    glutSwapBuffers();
  }
  glFinish();

  std::vector<double> frame_ms;
  const double cpu0 = process_cpu_ms();
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    sys.display();
    glutSwapBuffers();
    glFinish();
    frame_ms.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  // All threads (llvmpipe rasterises on its own): steadier than wall time on a busy machine.
  state.counters["proc_cpu_ms"] = (process_cpu_ms() - cpu0) / static_cast<double>(frame_ms.size());
  std::sort(frame_ms.begin(), frame_ms.end());
  const double median = frame_ms[frame_ms.size() / 2];
  g_median_ms[n] = median;
  state.counters["median_ms"] = median;
  state.counters["max_ms"] = frame_ms.back();
  state.SetLabel(std::to_string(ps->field.grid.size()) + "x" +
                 std::to_string(ps->field.grid.empty() ? 0 : ps->field.grid[0].size()));
}
BENCHMARK(BM_Frame)
    ->Arg(13)
    ->Arg(53)
    ->Arg(99)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

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

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!display_available(argc, argv)) {
    std::fputs("vorna_bench: needs an X display (try xvfb-run -a)\n", stderr);
    return 1;
  }
  open_game_window();
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_median_ms.count(13) && g_median_ms.count(99)) {
    std::printf("frame median: 13x13 %.2f ms, 53x53 %.2f ms, 99x99 %.2f ms; 99/13 = %.2f\n",
                g_median_ms[13], g_median_ms[53], g_median_ms[99],
                g_median_ms[99] / g_median_ms[13]);
  }
  return 0;
}

// Start-up time: from exec to the first buffer swap, for the game and for a minimal freeglut
// program, run alternately so that both see the same machine load. Prints each run, the medians
// and their ratio. Run from the run directory under an X server:
//   startup_bench [runs] [game] [minimal] [shim]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

long long monotonic_ns() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// One run of `program`: milliseconds from spawn to its first swap, or a negative value when it
// ended without swapping.
double first_swap_ms(const std::string& program, const std::string& shim) {
  const std::string stamp = "first_swap.txt";
  std::remove(stamp.c_str());
  std::vector<std::string> env = {"LD_PRELOAD=" + shim, "FIRST_SWAP_FILE=" + stamp};
  for (char** e = environ; *e != nullptr; ++e)
    if (std::string(*e).rfind("LD_PRELOAD=", 0) != 0) env.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(&e[0]);
  envp.push_back(nullptr);
  std::string arg0 = program;
  char* argv[] = {&arg0[0], nullptr};

  posix_spawn_file_actions_t quiet;  // the game's start-up line is not ours to print
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const long long start = monotonic_ns();
  const int failed = posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&quiet);
  if (failed != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  long long swapped = 0;
  std::ifstream(stamp) >> swapped;
  std::remove(stamp.c_str());
  return swapped > 0 ? static_cast<double>(swapped - start) / 1e6 : -1;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 21;
  const std::string game = argc > 2 ? argv[2] : "./vorna";
  const std::string minimal = argc > 3 ? argv[3] : "../bench/startup_minimal";
  const std::string shim = argc > 4 ? argv[4] : "../bench/libfirst_swap_shim.so";
  if (runs < 1) return 2;
  // Held open throughout: an X server whose last client leaves resets itself, and a program
  // started meanwhile cannot connect.
  Display* held = XOpenDisplay(nullptr);
  if (held == nullptr) {
    std::fprintf(stderr, "startup_bench: no X display\n");
    return 1;
  }

  std::vector<double> game_ms, minimal_ms;
  first_swap_ms(minimal, shim);  // warm the caches for both before counting
  first_swap_ms(game, shim);
  std::printf("%4s %12s %12s\n", "run", "vorna ms", "minimal ms");
  for (int i = 0; i < runs; ++i) {
    // Alternate which goes first, so neither always follows the other.
    const bool game_first = i % 2 == 0;
    const double a = first_swap_ms(game_first ? game : minimal, shim);
    const double b = first_swap_ms(game_first ? minimal : game, shim);
    const double g = game_first ? a : b, m = game_first ? b : a;
    if (g < 0 || m < 0) {
      std::fprintf(stderr, "run %d: a program ended without swapping\n", i + 1);
      return 1;
    }
    game_ms.push_back(g);
    minimal_ms.push_back(m);
    std::printf("%4d %12.1f %12.1f\n", i + 1, g, m);
  }
  const double g = median(game_ms), m = median(minimal_ms);
  std::printf("\nexec to first swap, median of %d alternating runs\n", runs);
  std::printf("  vorna    %7.1f ms\n  minimal  %7.1f ms\n  ratio    %7.2f\n", g, m, g / m);
  XCloseDisplay(held);
  return 0;
}

// The browser test's other half, built natively and for the page: plays tests/web/scenario.txt
// in-process and writes each picture (natively), or times the benchmark's frames (both).
//   scenes pictures SCENARIO OUTDIR
//   scenes bench SCENARIO [FRAMES]
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/gamesystem.h"
#include "app/state.h"
#include "screens/play_state.h"

// The maze is fixed by the clock the generator seeds from: the scenario's `seed`, which the
// browser test also gives the page's clock. The random numbers are drawn as the page's C
// library (musl) draws them, so both builds make the same maze from that seed.
namespace {
std::time_t g_clock = 0;
std::uint64_t g_rand_state = 0;
}  // namespace

extern "C" std::time_t time(std::time_t* out) {
  if (out != nullptr) *out = g_clock;
  return g_clock;
}
extern "C" void srand(unsigned seed) {
  g_rand_state = seed - 1;
}
extern "C" int rand() {
  g_rand_state = 6364136223846793005ULL * g_rand_state + 1;
  return static_cast<int>(g_rand_state >> 33);
}

namespace {

constexpr int kSize = 500;

struct Step {
  std::string action, arg;
  int times = 1;
};

std::vector<Step> read_scenario(const char* path) {
  std::vector<Step> steps;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Step s;
    words >> s.action >> s.arg;
    if (!(words >> s.times)) s.times = 1;
    if (s.action == "seed") g_clock = static_cast<std::time_t>(std::stoll(s.arg));
    steps.push_back(s);
  }
  return steps;
}

int special_key(const std::string& name) {
  if (name == "up") return GLUT_KEY_UP;
  if (name == "down") return GLUT_KEY_DOWN;
  if (name == "left") return GLUT_KEY_LEFT;
  return GLUT_KEY_RIGHT;
}

// Top row first, as a screenshot.
void write_picture(const std::string& path) {
  std::vector<unsigned char> rgb(kSize * kSize * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << kSize << ' ' << kSize << "\n255\n";
  for (int y = kSize - 1; y >= 0; --y)
    out.write(reinterpret_cast<const char*>(&rgb[static_cast<std::size_t>(y) * kSize * 3]),
              kSize * 3);
}

void play(const std::vector<Step>& steps, const std::string& outdir) {
  for (const Step& s : steps) {
    if (s.action == "frames") {
      for (int i = 0; i < std::stoi(s.arg); ++i) sys.display();
    } else if (s.action == "ticks") {
      for (int i = 0; i < std::stoi(s.arg); ++i) sys.timer(0);
    } else if (s.action == "key") {
      for (int i = 0; i < s.times; ++i) sys.keyboard(static_cast<unsigned char>(s.arg[0]), 0, 0);
    } else if (s.action == "special") {
      sys.sp_keyboard(special_key(s.arg), 0, 0);
    } else if (s.action == "click") {
      sys.mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, kSize / 2, kSize / 2);
      sys.mouse(GLUT_LEFT_BUTTON, GLUT_UP, kSize / 2, kSize / 2);
    } else if (s.action == "picture") {
      sys.display();
      write_picture(outdir + "/" + s.arg + ".ppm");
    }
  }
}

// A stage of the wanted size as the game sets one up, at the entrance, seen from eye level or
// from one 'b' above; the median of `frames` frames, each drawn and finished.
double frame_ms(int size, bool overhead, int frames) {
  auto* ps = static_cast<Play_State*>(State::State_list[PLAY]);
  sys.current_state = ps;
  ps->statetransfer_init(&sys);
  ps->field.field_init(size, size);
  if (overhead) sys.keyboard('b', 0, 0);
  for (int i = 0; i < 3; ++i) sys.display();
  glFinish();
  std::vector<double> ms;
  unsigned char pixel[4];
  for (int i = 0; i < frames; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    sys.display();
    glFinish();
    // A page's glFinish need not wait for the GPU; reading a pixel back always does.
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    ms.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: scenes pictures SCENARIO OUTDIR | scenes bench SCENARIO [FRAMES]\n", stderr);
    return 2;
  }
  const std::string mode = argv[1];
  const std::vector<Step> steps = read_scenario(argv[2]);
  setenv("SDL_AUDIODRIVER", "dummy", 0);  // natively: no sound card needed

  glutInitWindowSize(kSize, kSize);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow("vorna scenes");
  sys.init();
  sys.resize(kSize, kSize);

  if (mode == "pictures" && argc > 3) {
    play(steps, argv[3]);
  } else if (mode == "bench") {
    const int frames = argc > 3 ? std::atoi(argv[3]) : 30;
    const struct {
      const char* view;
      int size;
    } scenes[] = {{"eye", 13}, {"eye", 53}, {"eye", 99}, {"overhead", 13}, {"overhead", 99}};
    // A first pass readies every scene's code, in the GPU process too; the second is measured.
    for (int pass = 0; pass < 2; ++pass)
      for (const auto& s : scenes) {
        const double ms = frame_ms(s.size, std::string(s.view) == "overhead", pass ? frames : 3);
        if (pass) std::printf("bench %s %d %.3f\n", s.view, s.size, ms);
      }
    std::fflush(stdout);
  }
  return 0;
}

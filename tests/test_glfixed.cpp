// glfixed, the fixed-function layer over ES 2.0, against the system's OpenGL: the game's own
// drawing of each scene, built once per GL (tests/glfixed/scenes.cpp), must give the same
// picture. The pages must match exactly; elsewhere rasterisation and rounding may differ a
// little along edges and in colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/gl_window.h"

namespace fs = std::filesystem;

namespace {

struct Bound {
  int pixels_over_8;  // pixels off by more than 8 levels in some channel, at most
  int largest;        // no channel off by more than this
};
const std::map<std::string, Bound> kBounds = {
    {"pages", {0, 0}},        {"life bar", {125, 32}}, {"maze 13", {125, 32}},
    {"maze 53", {125, 32}},   {"maze 99", {125, 32}},  {"overhead", {125, 32}},
    {"window space", {0, 0}},
};

gltest::Frame read_ppm(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int maxval = 0;
  gltest::Frame f;
  in >> magic >> f.width >> f.height >> maxval;
  in.get();
  f.rgb.resize(static_cast<std::size_t>(f.width) * f.height * 3);
  in.read(reinterpret_cast<char*>(f.rgb.data()), static_cast<std::streamsize>(f.rgb.size()));
  if (magic != "P6" || maxval != 255 || !in) f.rgb.clear();
  return f;
}

// Lines "name<TAB>rest" of a list the scene programs write.
std::vector<std::pair<std::string, std::string>> read_list(const fs::path& file) {
  std::vector<std::pair<std::string, std::string>> entries;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    const auto tab = line.find('\t');
    entries.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  return entries;
}

// Both scene programs run once, for every test below.
class Glfixed : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    fs::remove_all("scenes");
    ran_ = std::system(GLFIXED_SCENES_SYSTEM " scenes") == 0 &&
           std::system(GLFIXED_SCENES_ES " scenes") == 0;
  }
  void SetUp() override { ASSERT_TRUE(ran_) << "a scene program failed"; }
  static bool ran_;
};
bool Glfixed::ran_ = false;

struct Difference {
  int pixels_over_8 = 0;
  int largest = 0;
  std::string scene;
};

Difference compare(const gltest::Frame& a, const gltest::Frame& b) {
  Difference d;
  for (std::size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
    int worst = 0;
    for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(a.rgb[i + k] - b.rgb[i + k]));
    if (worst > 8) ++d.pixels_over_8;
    d.largest = std::max(d.largest, worst);
  }
  return d;
}

TEST_F(Glfixed, DrawsTheGameAsTheSystemGLDoes) {
  const auto scenes = read_list("scenes/system/scenes.txt");
  ASSERT_EQ(scenes, read_list("scenes/es/scenes.txt"));
  ASSERT_GT(scenes.size(), 30u);

  std::map<std::string, Difference> worst;  // by group
  for (const auto& [name, group] : scenes) {
    SCOPED_TRACE(name);
    const gltest::Frame a = read_ppm("scenes/system/" + name + ".ppm");
    const gltest::Frame b = read_ppm("scenes/es/" + name + ".ppm");
    ASSERT_EQ(a.rgb.size(), 500u * 500u * 3u);
    ASSERT_EQ(b.rgb.size(), a.rgb.size());
    // Not a blank picture: the comparison would prove nothing.
    EXPECT_GT(a.count(0, 0, 500, 500, [](const gltest::Rgb& c) { return !gltest::is_white(c); }),
              0);
    Difference d = compare(a, b);
    d.scene = name;
    ASSERT_TRUE(kBounds.count(group)) << group;
    const Bound bound = kBounds.at(group);
    EXPECT_LE(d.pixels_over_8, bound.pixels_over_8);
    EXPECT_LE(d.largest, bound.largest);
    Difference& w = worst[group];
    if (w.scene.empty() || d.largest > w.largest ||
        (d.largest == w.largest && d.pixels_over_8 > w.pixels_over_8))
      w = d;
  }
  std::printf("%-10s %-22s %8s %14s\n", "group", "worst scene", "largest", "pixels over 8");
  for (const auto& [group, d] : worst)
    std::printf("%-10s %-22s %8d %14d\n", group.c_str(), d.scene.c_str(), d.largest,
                d.pixels_over_8);
}

// A scene drawn again after its context was lost (with none current in between) and made anew:
// glfixed remade its objects, the glyphs in its atlas, and kept the state, so not a pixel moves.
TEST_F(Glfixed, DrawsTheSameInANewContextAfterRestore) {
  int restored = 0;
  for (const auto& [name, group] : read_list("scenes/es/scenes.txt")) {
    const auto cut = name.rfind("-restored");
    if (cut == std::string::npos) continue;
    SCOPED_TRACE(name);
    ++restored;
    const gltest::Frame before = read_ppm("scenes/es/" + name.substr(0, cut) + ".ppm");
    const gltest::Frame after = read_ppm("scenes/es/" + name + ".ppm");
    ASSERT_EQ(after.rgb.size(), 500u * 500u * 3u);
    EXPECT_EQ(compare(before, after).largest, 0);
  }
  EXPECT_EQ(restored, 2);
}

// Each command called between glBegin and glEnd: the same error, and the same effect or none.
TEST_F(Glfixed, RefusesBetweenBeginAndEndWhatTheSystemGLRefuses) {
  const auto system_gl = read_list("scenes/system/checks.txt");
  const auto es = read_list("scenes/es/checks.txt");
  ASSERT_GT(system_gl.size(), 40u);
  ASSERT_EQ(es.size(), system_gl.size());
  for (std::size_t i = 0; i < es.size(); ++i) EXPECT_EQ(es[i], system_gl[i]);
  // The probe sees what the commands GL takes there do.
  EXPECT_EQ(system_gl[19], std::make_pair(std::string("Color3f"), std::string("0x0\teffect")));
}

}  // namespace

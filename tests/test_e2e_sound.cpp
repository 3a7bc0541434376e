// The real binary's sound at the edges: no audio device at all, and music from start-up.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/game_process.h"

namespace {

constexpr double kStartSeconds = 30.0;
constexpr double kExitSeconds = 30.0;

// Nonzero 16-bit samples in the disk driver's capture (its format is the game's output).
size_t nonzero_samples(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  size_t count = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const int16_t v = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                           (static_cast<uint8_t>(bytes[i + 1]) << 8));
    if (v != 0) ++count;
  }
  return count;
}

}  // namespace

TEST(E2eSound, WithoutAnyAudioDeviceTheGamePlaysAndQuitsSilently) {
  // No driver hint: the machine's own devices, which on a build machine means none at all.
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  e2e::Game game(e2e::make_workdir("no-device"));
  ASSERT_TRUE(game.wait_for_output("NOW LOADING", kStartSeconds)) << game.err();
  ASSERT_NE(game.window(kStartSeconds), 0UL) << game.err();

  game.key("s");  // into the maze: a stage, steps and turns with the effects code loaded
  for (const char* k : {"Up", "Right", "Up", "Left", "Up"}) game.key(k);
  game.key("q");
  EXPECT_EQ(game.wait_exit(kExitSeconds), 0);
  EXPECT_EQ(game.err(), "") << "nothing may reach stderr, from us or the sound libraries";
  EXPECT_EQ(game.out(), "NOW LOADING\u2026\n");
}

TEST(E2eSound, MusicPlaysFromStartUpAndTheGameStillQuitsCleanly) {
  const std::string dir = e2e::make_workdir("disk-audio");
  const std::string capture = dir + "/output.raw";
  e2e::Game game(dir, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + capture});
  ASSERT_TRUE(game.wait_for_output("NOW LOADING", kStartSeconds)) << game.err();
  ASSERT_NE(game.window(kStartSeconds), 0UL);

  // Poll the capture until the music shows in it; no key is needed to start it.
  bool heard = false;
  for (int i = 0; i < 300 && !heard; ++i) {
    heard = nonzero_samples(capture) > 1000;
    if (!heard) e2e::run("sleep 0.1");
  }
  EXPECT_TRUE(heard) << "bgm.mid never reached the output";

  // Quitting while the music plays tears the output down at exit without hanging.
  game.key("q");
  EXPECT_EQ(game.wait_exit(kExitSeconds), 0) << game.err();
}

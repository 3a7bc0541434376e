// The real binary's sound at the edges: no audio device at all, and music from start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/game_process.h"

TEST(E2eSound, WithoutAnyAudioDeviceTheGamePlaysAndQuitsSilently) {
  unsetenv("SDL_AUDIODRIVER");  // the machine's own devices: none on a build machine
  e2e::Game game(e2e::make_workdir("no-device"));
  ASSERT_NE(game.window(30), 0UL) << game.err();
  for (const char* k : {"s", "Up", "Right", "Up", "Left", "Up", "q"}) game.key(k);
  EXPECT_EQ(game.wait_exit(30), 0);
  EXPECT_EQ(game.err(), "") << "nothing may reach stderr, from us or the sound libraries";
  EXPECT_EQ(game.out(), "NOW LOADING\u2026\n");
}

TEST(E2eSound, MusicPlaysFromStartUpAndTheGameStillQuitsCleanly) {
  const std::string dir = e2e::make_workdir("disk-audio"), capture = dir + "/output.raw";
  e2e::Game game(dir, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + capture});
  ASSERT_NE(game.window(30), 0UL) << game.err();
  // No key starts the music: poll the capture until it shows.
  long nonzero = 0;
  for (int i = 0; i < 300 && nonzero < 2000; ++i, e2e::run("sleep 0.1")) {
    std::ifstream in(capture, std::ios::binary);
    nonzero = std::count_if(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(),
                            [](char c) { return c != 0; });
  }
  EXPECT_GE(nonzero, 2000) << "bgm.mid never reached the output (nonzero bytes)";
  game.key("q");  // quitting while the music plays tears the output down without hanging
  EXPECT_EQ(game.wait_exit(30), 0) << game.err();
}

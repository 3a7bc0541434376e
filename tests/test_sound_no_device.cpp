// With no audio device the sound layer stays silent, quiet on stderr, and tries only once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "sound/audio_device.h"
#include "sound/music.h"
#include "sound/sound_effect.h"

namespace {

// Runs `body` with file descriptor 2 sent to a file and returns what landed there.
template <typename F>
std::string stderr_of(F body) {
  std::fflush(stderr);
  const int saved = dup(2);
  FILE* sink = std::fopen("stderr.txt", "w+");
  dup2(fileno(sink), 2);
  body();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::fclose(sink);
  std::ifstream in("stderr.txt");
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(SoundNoDevice, NothingOnStderrAndTheDeviceIsTriedOnce) {
  // The machine's own devices only: on a build machine there are none.
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  std::error_code ec;
  std::filesystem::create_symlink(std::filesystem::path(VORNA_RUN_DIR) / "bgm.mid", "bgm.mid", ec);
  std::filesystem::create_symlink(std::filesystem::path(VORNA_RUN_DIR) / "life.wav", "life.wav",
                                  ec);
  ASSERT_EQ(audio::open_attempts(), 0);

  music bgm;
  int init = -1, play = -1;
  const std::string err = stderr_of([&] {
    init = bgm.Init(2, "bgm.mid");
    play = bgm.Play();
    for (int i = 0; i < 5; ++i) play_sound_effect("life.wav");
    play_sound_effect("missing.wav");
    bgm.Term();
  });
  EXPECT_EQ(err, "");
  EXPECT_EQ(audio::open_attempts(), 1) << "a failed open must not be retried";
  EXPECT_EQ(play, 1);
  if (!audio::open()) {  // the usual case here: no sound card
    EXPECT_EQ(init, 0);
    EXPECT_EQ(bgm.opened, 0);
  }
}

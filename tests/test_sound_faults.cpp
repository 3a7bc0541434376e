// Damaged sound files on SDL's dummy output: each is ignored as a missing one is, without
// killing the process, leaking descriptors or printing anything.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sound/audio_device.h"
#include "sound/music.h"
#include "sound/sound_effect.h"
#include "support/bytes.h"
#include "support/descriptors.h"

namespace {

using namespace bytes;

// A mono 16-bit 44.1 kHz wave of 0.1 s whose format chunk then declares `channels`.
Bytes wave_with_channels(uint16_t channels) {
  Bytes b = wave({}, Bytes(2 * 4410, 0x20));
  set_le(b, 22, channels, 2);
  return b;
}

class SoundFaults : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    save("good.wav", wave_with_channels(1));
    save("zero.wav", wave_with_channels(0));
    save("many.wav", wave_with_channels(512));
  }
  void SetUp() override { ASSERT_TRUE(audio::open()) << "no dummy output"; }
};

}  // namespace

TEST_F(SoundFaults, WavesDeclaringImpossibleChannelCountsAreIgnored) {
  music m;
  ASSERT_EQ(m.Init(1, "good.wav"), 1) << "the well-formed twin must still load";
  m.Term();
  // Before the check, the mixer divided by the channel count while playing: SIGFPE.
  for (const char* file : {"zero.wav", "many.wav"}) {
    for (int kind : {1, 7}) {
      SCOPED_TRACE(std::string(file) + " kind " + std::to_string(kind));
      EXPECT_EQ(m.Init(kind, file), 0);
      EXPECT_EQ(m.opened, 0);
      EXPECT_EQ(m.Play(), 1);
    }
    for (int i = 0; i < 3; ++i) play_sound_effect(file);
  }
  usleep(200000);  // the output thread mixes whatever was started
}

TEST_F(SoundFaults, FailedLoadsLeaveNoDescriptorOpen) {
  // 4 to 11 bytes with no known tag, a truncated wave, a non-wave, a wave cut in its header.
  save("short.wav", {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'});
  save("four.wav", {'x', 'y', 'z', 'w'});
  save("eleven.wav", {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A'});
  Bytes cut = wave_with_channels(1);
  cut.resize(cut.size() / 2);
  save("cut.wav", cut);
  save("head.wav", Bytes(cut.begin(), cut.begin() + 30));
  std::ofstream("text.wav") << "this is not RIFF data\n";
  const char* const files[] = {"short.wav", "four.wav", "eleven.wav", "cut.wav",
                               "head.wav",  "text.wav", "missing.wav"};
  music m;
  play_sound_effect("good.wav");  // whatever the output opens for itself is open by now
  ASSERT_EQ(m.Init(1, "good.wav"), 1);
  m.Term();

  const int before = descriptors::open_count();
  for (int i = 0; i < 100; ++i) {
    for (const char* f : files) {
      play_sound_effect(f);
      m.Init(1, f);
      m.Init(2, f);
    }
    if (i % 10 == 0) {  // loaded pieces hold their file in memory, not open
      ASSERT_EQ(m.Init(1, "good.wav"), 1);
      m.Play();
    }
  }
  m.Term();
  EXPECT_EQ(descriptors::open_count(), before);
}

TEST_F(SoundFaults, DamagedMidiFailsSilently) {
  const std::string run = VORNA_RUN_DIR;
  const Bytes bgm = load(run + "/bgm.mid");
  ASSERT_GT(bgm.size(), 100u);
  save("bgm_ok.mid", bgm);
  {
    music m;
    ASSERT_EQ(m.Init(2, "bgm_ok.mid"), 1) << "no soundfont: this test would prove nothing";
  }

  Bytes header = bgm;
  header[7] = 8;  // "invalid MThd header"
  Bytes number = bgm;
  for (size_t i = 22; i < 30; ++i) number[i] = 0xFF;  // "Invalid variable length number"
  Bytes cut(bgm.begin(), bgm.begin() + static_cast<long>(bgm.size() / 2));
  Bytes tag_only = {'M', 'T', 'h', 'd'};
  save("header.mid", header);
  save("number.mid", number);
  save("cut.mid", cut);
  save("tag.mid", tag_only);

  EXPECT_EQ(descriptors::stderr_of([] {
              for (const char* f : {"header.mid", "number.mid", "cut.mid", "tag.mid"}) {
                music m;
                m.Init(2, f);
                m.Play();
                usleep(300000);  // the synthesizer reads the file once it plays
                m.Term();
              }
            }),
            "");
}

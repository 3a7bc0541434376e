// Damaged sound files on SDL's dummy output: each is ignored as a missing one is, without
// killing the process, leaking descriptors or printing anything.
#include <dirent.h>
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

namespace {

using Bytes = std::vector<unsigned char>;

void write(const char* path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Bytes read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A mono 16-bit 44.1 kHz wave of 0.1 s whose format chunk then declares `channels`.
Bytes wave_with_channels(uint16_t channels) {
  const uint32_t n = 4410;
  const uint32_t head[] = {0x46464952, 36 + 2 * n, 0x45564157, 0x20746d66, 16,   0x00010001,
                           44100,      88200,      0x00100002, 0x61746164, 2 * n};
  Bytes b(reinterpret_cast<const unsigned char*>(head),
          reinterpret_cast<const unsigned char*>(head) + sizeof head);
  b.resize(b.size() + 2 * n, 0x20);
  b[22] = static_cast<unsigned char>(channels);
  b[23] = static_cast<unsigned char>(channels >> 8);
  return b;
}

int open_descriptors() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (readdir(dir) != nullptr) ++count;
  closedir(dir);
  return count;
}

class SoundFaults : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    write("good.wav", wave_with_channels(1));
    write("zero.wav", wave_with_channels(0));
    write("many.wav", wave_with_channels(512));
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
  write("short.wav", {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'});
  write("four.wav", {'x', 'y', 'z', 'w'});
  write("eleven.wav", {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A'});
  Bytes cut = wave_with_channels(1);
  cut.resize(cut.size() / 2);
  write("cut.wav", cut);
  write("head.wav", Bytes(cut.begin(), cut.begin() + 30));
  std::ofstream("text.wav") << "this is not RIFF data\n";
  const char* const files[] = {"short.wav", "four.wav", "eleven.wav", "cut.wav",
                               "head.wav",  "text.wav", "missing.wav"};
  music m;
  play_sound_effect("good.wav");  // whatever the output opens for itself is open by now
  ASSERT_EQ(m.Init(1, "good.wav"), 1);
  m.Term();

  const int before = open_descriptors();
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
  EXPECT_EQ(open_descriptors(), before);
}

TEST_F(SoundFaults, DamagedMidiFailsSilently) {
  const std::string run = VORNA_RUN_DIR;
  const Bytes bgm = read(run + "/bgm.mid");
  ASSERT_GT(bgm.size(), 100u);
  write("bgm_ok.mid", bgm);
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
  write("header.mid", header);
  write("number.mid", number);
  write("cut.mid", cut);
  write("tag.mid", tag_only);

  std::fflush(stderr);
  FILE* sink = std::fopen("stderr.txt", "w");
  const int saved = dup(2);
  dup2(fileno(sink), 2);
  for (const char* f : {"header.mid", "number.mid", "cut.mid", "tag.mid"}) {
    music m;
    m.Init(2, f);
    m.Play();
    usleep(300000);  // the synthesizer reads the file once it plays
    m.Term();
  }
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::fclose(sink);
  std::ifstream in("stderr.txt");
  const std::string printed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(printed, "");
}

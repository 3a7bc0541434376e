// Music and sound effects measured on the real mixed output, captured by SDL's disk driver.
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "sound/audio_device.h"
#include "sound/music.h"
#include "sound/sound_effect.h"
#include "support/bytes.h"
#include "support/descriptors.h"

namespace {

const char kCapture[] = "capture.raw";
int g_rate = 0, g_channels = 0;

size_t now() {
  std::error_code missing;
  return std::filesystem::file_size(kCapture, missing) / (2 * g_channels);
}

// `seconds` of output from frame `from` on, mixed to mono in -1..1, once the driver wrote it.
std::vector<float> record(size_t from, double seconds) {
  const size_t count = static_cast<size_t>(seconds * g_rate);
  for (int i = 0; i < 3000 && now() < from + count; ++i) usleep(10000);
  std::vector<int16_t> raw(count * g_channels);
  std::ifstream in(kCapture, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(from * 2 * g_channels));
  in.read(reinterpret_cast<char*>(raw.data()), raw.size() * 2);
  std::vector<float> out(in.gcount() / 2 / g_channels);
  for (size_t i = 0; i < out.size() * g_channels; ++i) out[i / g_channels] += raw[i] / 32768.0f;
  for (float& v : out) v /= g_channels;
  EXPECT_EQ(out.size(), count) << "the disk driver stopped writing";
  return out;
}

double rms(const std::vector<float>& s, size_t from = 0, size_t to = SIZE_MAX) {
  double sum = 0;
  to = std::min(to, s.size());
  for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
  return from < to ? std::sqrt(sum / (to - from)) : 0.0;
}
bool silent(const std::vector<float>& s, size_t from = 0) {
  return rms(s, from) < 1e-4;
}

// Records in 0.25 s steps until the output is silent; true when it fell silent within `seconds`.
bool falls_silent(double seconds = 30) {
  for (double t = 0; t < seconds; t += 0.25)
    if (silent(record(now(), 0.25))) return true;
  return false;
}

// A mono 16-bit wave holding a 660 Hz sine at `level` (0..1).
void write_tone(const char* path, double seconds, double level) {
  const bytes::Wave_format mono;
  bytes::Bytes data;
  for (uint32_t i = 0; i < static_cast<uint32_t>(seconds * mono.rate); ++i)
    bytes::put_le(
        data, static_cast<int16_t>(32767 * level * std::sin(2 * M_PI * 660 * i / mono.rate)), 2);
  bytes::save(path, bytes::wave(mono, data));
}

class Sound : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", kCapture, 1);
    Uint16 format = 0;
    if (audio::open() && Mix_QuerySpec(&g_rate, &format, &g_channels) && format != AUDIO_S16LSB)
      g_channels = 0;
    std::error_code exists;
    for (const char* f : {"bgm.mid", "life.wav"})
      std::filesystem::create_symlink(std::string(VORNA_RUN_DIR) + "/" + f, f, exists);
    bytes::save("bgm.rmi", bytes::rmid(bytes::load("bgm.mid")));
    write_tone("tone.wav", 0.2, 0.5);
  }
  void SetUp() override {
    ASSERT_GT(g_channels, 0) << "no 16-bit output into the capture";
    ASSERT_TRUE(falls_silent());
  }
};

}  // namespace

TEST_F(Sound, MusicContractMissingFilesKindsAndTerm) {
  music m;
  EXPECT_EQ(m.Init(2, "missing.mid"), 0);
  EXPECT_EQ(m.opened, 0);
  const size_t mark = now();
  EXPECT_EQ(m.Play(), 1);
  EXPECT_TRUE(silent(record(mark, 0.5))) << "Play on a closed player sent something";

  // 2 is the MIDI sequencer, 1 and unknown kinds the wave device; 3 (CD audio) never opens.
  for (int kind : {2, 3}) EXPECT_EQ(m.Init(kind, "tone.wav"), 0) << kind;
  for (int kind : {1, 3}) EXPECT_EQ(m.Init(kind, "bgm.mid"), 0) << kind;
  EXPECT_EQ(m.opened, 0);
  for (int kind : {1, 7}) {
    SCOPED_TRACE(kind);
    ASSERT_EQ(m.Init(kind, "tone.wav"), 1);
    const size_t start = now();
    EXPECT_EQ(m.Play(), 1);
    // The 0.2 s tone is heard once, then nothing: no loop.
    const std::vector<float> s = record(start, 0.8);
    EXPECT_GT(rms(s, 0, s.size() / 2), 0.05);
    EXPECT_TRUE(silent(s, s.size() / 2));
    m.Term();
    m.Term();
    EXPECT_EQ(m.opened, 0);
  }

  music stale;  // a device the output does not know refuses to play, and is closed
  stale.opened = 1;
  stale.device_id = 0xDEAD;
  EXPECT_EQ(stale.Play(), 0);
  EXPECT_EQ(stale.opened, 0);
}

TEST_F(Sound, BgmNeedsASoundfontSoundsOnlyAfterPlayAndStopsAtTerm) {
  setenv("SDL_FORCE_SOUNDFONTS", "1", 1);  // the player's own setting, pointing nowhere
  setenv("SDL_SOUNDFONTS", "/nonexistent/none.sf2", 1);
  music m;
  EXPECT_EQ(descriptors::stderr_of([&] { EXPECT_EQ(m.Init(2, "bgm.mid"), 0); }), "")
      << "no soundfont, yet something printed";
  unsetenv("SDL_FORCE_SOUNDFONTS");
  unsetenv("SDL_SOUNDFONTS");

  for (const char* file : {"bgm.mid", "bgm.rmi"}) {  // the RIFF-wrapped one plays its MIDI
    SCOPED_TRACE(file);
    ASSERT_EQ(m.Init(2, file), 1);
    EXPECT_TRUE(silent(record(now(), 0.5))) << "sounding before Play";
    EXPECT_EQ(m.Play(), 1);
    EXPECT_FALSE(silent(record(now(), 1.0))) << "never sounded after Play";
    m.Term();
    EXPECT_TRUE(falls_silent(10)) << "still sounding after Term";
    EXPECT_TRUE(silent(record(now(), 1.0)));
  }
}

TEST_F(Sound, AnEffectSoundsANewOneCutsItAndAFailedOneCutsNothing) {
  write_tone("quiet_long.wav", 3.0, 0.05);
  write_tone("loud_short.wav", 0.3, 0.5);
  std::ofstream("not_a_wave.wav") << "this is not RIFF data\n";
  size_t mark = now();
  play_sound_effect("life.wav");
  EXPECT_GT(rms(record(mark, 0.3)), 0.02) << "life.wav never sounded";
  play_sound_effect("quiet_long.wav");
  for (const char* bad : {"missing.wav", "not_a_wave.wav", ""}) play_sound_effect(bad);
  mark = now();
  const double before = rms(record(mark, 0.3));
  ASSERT_GT(before, 0.02) << "the first effect is not sounding, or a failed one cut it";
  ASSERT_LT(before, 0.1) << "life.wav still sounds under it";

  mark = now();
  play_sound_effect("loud_short.wav");
  const std::vector<float> s = record(mark, 1.2);
  EXPECT_GT(rms(s, 0, g_rate / 4), 0.2) << "never sounded";
  // Once the short one has played, nothing is left: the long one was cut, not mixed under.
  EXPECT_TRUE(silent(s, g_rate * 0.6));

  struct sigaction interrupt, terminate;  // opening the output left Ctrl+C and kill alone
  ASSERT_EQ(sigaction(SIGINT, nullptr, &interrupt), 0);
  ASSERT_EQ(sigaction(SIGTERM, nullptr, &terminate), 0);
  EXPECT_EQ(interrupt.sa_handler, SIG_DFL);
  EXPECT_EQ(terminate.sa_handler, SIG_DFL);
}

TEST_F(Sound, MusicAskedToPlayWhileStillLoadingStartsOnceWhenReady) {
  // One quarter-second note: long enough to hear, short enough to hear it end.
  const bytes::Bytes note = {0x00, 0x90, 0x3C, 0x64, 0x30, 0x80,
                             0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  bytes::save("note.mid", bytes::midi({note}, 0, -1, 96));
  music m;
  const size_t start = now();
  ASSERT_EQ(m.Init(2, "note.mid"), 1);
  EXPECT_EQ(m.Play(), 1);  // at once, as start-up does, while the soundfont is still loading
  EXPECT_FALSE(silent(record(start, 1.5))) << "the music asked for before it was ready never came";
  EXPECT_TRUE(falls_silent(10));
  EXPECT_TRUE(silent(record(now(), 2.0))) << "the music started again";
  m.Term();
}

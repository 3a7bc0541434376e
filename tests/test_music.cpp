// The music player's contract, checked on the real mixed output (SDL's disk audio driver).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/music.h"
#include "sound_capture.h"

namespace fs = std::filesystem;

namespace {

const std::string kCapture = "music_capture.raw";

// Routes the output into the capture file and opens it (a failed Init opens the device too).
const capture::Format& output() {
  static const capture::Format f = [] {
    capture::use_disk_audio(kCapture);
    music probe;
    probe.Init(2, "no-such-file.mid");
    std::error_code ec;
    fs::remove("bgm.mid", ec);
    fs::create_symlink(fs::path(VORNA_RUN_DIR) / "bgm.mid", "bgm.mid");
    capture::write_tone("tone.wav", 660, 0.4, 0.5);
    return capture::format();
  }();
  return f;
}

size_t now() {
  return capture::frames(kCapture, output());
}

std::vector<float> record(size_t from, double seconds) {
  const size_t count = static_cast<size_t>(seconds * output().rate);
  EXPECT_TRUE(capture::wait_frames(kCapture, output(), from + count)) << "driver stopped";
  return capture::mono(kCapture, output(), from, count);
}

bool silent(const std::vector<float>& s) {
  return capture::rms(s) < 1e-4;
}

// Records until the output sounds (true) or `seconds` of capture stayed silent (false).
bool sounds_within(double seconds) {
  size_t mark = now();
  for (double t = 0; t < seconds; t += 0.25) {
    const std::vector<float> s = record(mark, 0.25);
    if (!silent(s)) return true;
    mark += s.size();
  }
  return false;
}

void wait_for_silence() {
  for (int i = 0; i < 200; ++i)
    if (silent(record(now(), 0.25))) return;
  ADD_FAILURE() << "output never fell silent";
}

}  // namespace

TEST(Music, MissingFileStaysClosedAndPlayDoesNothing) {
  ASSERT_TRUE(output().s16);
  music m;
  m.device_id = 77;
  EXPECT_EQ(m.Init(2, "missing.mid"), 0);
  EXPECT_EQ(m.opened, 0);
  EXPECT_EQ(m.device_id, 77u);  // a failed open leaves the old id alone
  const size_t mark = now();
  EXPECT_EQ(m.Play(), 1);
  EXPECT_EQ(m.opened, 0);
  EXPECT_TRUE(silent(record(mark, 0.75)));
  m.Term();
  m.Term();
  EXPECT_EQ(m.opened, 0);

  EXPECT_EQ(m.Init(2, nullptr), 0);
  EXPECT_EQ(m.Init(2, ""), 0);
  EXPECT_EQ(m.opened, 0);
}

TEST(Music, BgmIsSilentUntilPlayThenSoundsUntilTerm) {
  output();
  wait_for_silence();
  music m;
  ASSERT_EQ(m.Init(2, "bgm.mid"), 1);
  EXPECT_EQ(m.opened, 1);
  // Opened but not started: nothing yet.
  EXPECT_TRUE(silent(record(now(), 0.75)));

  EXPECT_EQ(m.Play(), 1);
  EXPECT_EQ(m.opened, 1);
  EXPECT_TRUE(sounds_within(4.0)) << "bgm.mid never sounded after Play";

  m.Term();
  EXPECT_EQ(m.opened, 0);
  // FluidSynth lets notes ring out briefly after the stop; then the output is silent.
  wait_for_silence();
  EXPECT_FALSE(sounds_within(1.0));
}

TEST(Music, DeviceKindsOpenTheirOwnKindOfFile) {
  output();
  music m;
  // 2, the sequencer, takes MIDI only; 1 and unknown kinds are the wave device.
  EXPECT_EQ(m.Init(2, "tone.wav"), 0);
  EXPECT_EQ(m.Init(1, "bgm.mid"), 0);
  EXPECT_EQ(m.Init(7, "bgm.mid"), 0);
  // 3, CD audio, has no device here.
  EXPECT_EQ(m.Init(3, "tone.wav"), 0);
  EXPECT_EQ(m.Init(3, "bgm.mid"), 0);
  EXPECT_EQ(m.opened, 0);

  for (int kind : {1, 7, -1}) {
    SCOPED_TRACE(kind);
    wait_for_silence();
    ASSERT_EQ(m.Init(kind, "tone.wav"), 1);
    const size_t mark = now();
    EXPECT_EQ(m.Play(), 1);
    // The 0.4 s tone plays once: it is heard, then the output stays silent (no loop).
    const std::vector<float> s = record(mark, 2.5);
    const int rate = output().rate;
    double loudest = 0;
    size_t last_heard = 0;
    for (size_t at = 0; at + rate / 10 <= s.size(); at += rate / 10) {
      const double level = capture::tone(s, at, rate / 10, 660, rate);
      loudest = std::max(loudest, level);
      if (level > 0.01) last_heard = at;
    }
    EXPECT_GT(loudest, 0.1);
    EXPECT_TRUE(silent(std::vector<float>(s.begin() + last_heard + rate / 10, s.end())));
    EXPECT_LT(last_heard, s.size() - rate);
    m.Term();
  }
}

TEST(Music, TermClosesOnceAndARefusedPlayCloses) {
  output();
  wait_for_silence();
  music a, b;
  ASSERT_EQ(a.Init(1, "tone.wav"), 1);
  a.Term();
  EXPECT_EQ(a.opened, 0);
  ASSERT_EQ(b.Init(2, "bgm.mid"), 1);
  ASSERT_EQ(b.Play(), 1);
  ASSERT_TRUE(sounds_within(4.0));
  // A second Term on the closed player must not touch the piece another player is playing.
  a.Term();
  EXPECT_EQ(b.opened, 1);
  EXPECT_TRUE(sounds_within(1.0));

  // Init on an open player replaces its piece: the old one stops.
  ASSERT_EQ(b.Init(1, "tone.wav"), 1);
  EXPECT_EQ(b.opened, 1);
  wait_for_silence();

  // A device the output no longer knows refuses to play and is closed.
  music stale;
  stale.opened = 1;
  stale.device_id = 0xDEAD;
  EXPECT_EQ(stale.Play(), 0);
  EXPECT_EQ(stale.opened, 0);
  EXPECT_EQ(stale.Play(), 1);
  b.Term();
}

TEST(Music, NoSoundfontMeansNoMidiAndNoNoise) {
  output();
  // The player's own soundfont setting, pointing nowhere.
  setenv("SDL_FORCE_SOUNDFONTS", "1", 1);
  setenv("SDL_SOUNDFONTS", "/nonexistent/none.sf2", 1);
  std::fflush(stderr);
  const int saved = dup(2);
  FILE* sink = std::fopen("soundfont_stderr.txt", "w+");
  dup2(fileno(sink), 2);
  music m;
  const int init = m.Init(2, "bgm.mid");
  const int play = m.Play();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::fclose(sink);
  unsetenv("SDL_FORCE_SOUNDFONTS");
  unsetenv("SDL_SOUNDFONTS");

  EXPECT_EQ(init, 0);
  EXPECT_EQ(m.opened, 0);
  EXPECT_EQ(play, 1);
  std::ifstream in("soundfont_stderr.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "");
  // With the soundfont found again, the same file opens.
  EXPECT_EQ(m.Init(2, "bgm.mid"), 1);
  m.Term();
}

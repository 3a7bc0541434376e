// Sound effects measured on the real mixed output, captured by SDL's disk audio driver.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sound/sound_effect.h"
#include "sound_capture.h"

namespace fs = std::filesystem;

namespace {

const std::string kCapture = "effects_capture.raw";

// Opens the output once for the whole program, routed into the capture file.
const capture::Format& output() {
  static const capture::Format f = [] {
    capture::use_disk_audio(kCapture);
    play_sound_effect("no-such-effect.wav");  // first use opens the device, plays nothing
    return capture::format();
  }();
  return f;
}

size_t now() {
  return capture::frames(kCapture, output());
}

// The capture from `from` on, `seconds` long, once the driver has written it.
std::vector<float> record(size_t from, double seconds) {
  const capture::Format& f = output();
  const size_t count = static_cast<size_t>(seconds * f.rate);
  EXPECT_TRUE(capture::wait_frames(kCapture, f, from + count)) << "disk driver stopped writing";
  return capture::mono(kCapture, f, from, count);
}

// Waits until the output has been silent for a while, so one test's sound ends before the next.
void wait_for_silence() {
  for (int i = 0; i < 100; ++i) {
    if (capture::rms(record(now(), 0.3)) < 1e-4) return;
  }
  ADD_FAILURE() << "output never fell silent";
}

// Levels of `freq` in consecutive 100 ms windows (whole periods for multiples of 10 Hz).
std::vector<double> tone_track(const std::vector<float>& s, double freq) {
  const size_t window = static_cast<size_t>(output().rate / 10);
  std::vector<double> levels;
  for (size_t at = 0; at + window <= s.size(); at += window)
    levels.push_back(capture::tone(s, at, window, freq, output().rate));
  return levels;
}

void link_from_run_dir(const std::string& name) {
  std::error_code ec;
  fs::remove(name, ec);
  fs::create_symlink(fs::path(VORNA_RUN_DIR) / name, name);
}

}  // namespace

TEST(SoundEffects, OutputOpensIntoTheCaptureAsStereo16Bit) {
  const capture::Format& f = output();
  ASSERT_TRUE(f.s16);
  ASSERT_GT(f.rate, 0);
  ASSERT_GE(f.channels, 1);
  // Nothing was playable: the output stays silent.
  EXPECT_LT(capture::rms(record(now(), 0.5)), 1e-4);
}

TEST(SoundEffects, EachGameEffectSoundsFromTheWorkingDirectory) {
  output();
  for (const char* name : {"dfog.wav", "life.wav", "die.wav"}) {
    SCOPED_TRACE(name);
    wait_for_silence();
    link_from_run_dir(name);
    const size_t mark = now();
    play_sound_effect(name);
    const std::vector<float> heard = record(mark, 1.0);
    EXPECT_GT(capture::rms(heard), 0.02);
  }
}

TEST(SoundEffects, ANewEffectCutsOffTheOneStillPlaying) {
  output();
  capture::write_tone("long_low.wav", 440, 8.0, 0.5);
  capture::write_tone("short_high.wav", 1320, 0.5, 0.5);
  wait_for_silence();

  // Start the long tone and wait until it is audible in the capture.
  size_t mark = now();
  play_sound_effect("long_low.wav");
  bool sounding = false;
  for (int i = 0; i < 100 && !sounding; ++i) {
    const std::vector<float> s = record(mark, 0.1);
    sounding = capture::tone(s, 0, s.size(), 440, output().rate) > 0.1;
    mark += s.size();
  }
  ASSERT_TRUE(sounding) << "the first effect never sounded";
  record(mark, 0.3);  // let it sound a while longer

  // Look from 0.2 s before the call: that part was written before it, with the low tone on.
  const size_t cut_mark = now();
  const size_t lead = static_cast<size_t>(output().rate / 5);
  play_sound_effect("short_high.wav");
  const std::vector<float> s = record(cut_mark - lead, 2.7);
  const std::vector<double> low = tone_track(s, 440);
  const std::vector<double> high = tone_track(s, 1320);

  EXPECT_GT(low[0], 0.1) << "the first effect was not sounding before the call";
  size_t onset = 0;
  while (onset < high.size() && high[onset] < 0.1) ++onset;
  ASSERT_LT(onset, high.size()) << "the second effect never sounded";
  for (size_t w = onset + 1; w < low.size(); ++w) {
    EXPECT_LT(low[w], 0.01) << "the first effect still sounds in window " << w;
  }
  // The short one plays through once and the first never comes back.
  EXPECT_LT(capture::rms(s, s.size() - output().rate / 2), 1e-4);
}

TEST(SoundEffects, MissingOrUnreadableFilesAreIgnoredAndCutNothing) {
  output();
  { std::ofstream("not_a_wave.wav") << "this is not RIFF data at all\n"; }
  wait_for_silence();

  size_t mark = now();
  play_sound_effect("missing.wav");
  play_sound_effect("not_a_wave.wav");
  play_sound_effect("");
  EXPECT_LT(capture::rms(record(mark, 0.5)), 1e-4);

  // An effect that is playing keeps playing through a failed one.
  capture::write_tone("steady.wav", 880, 3.0, 0.5);
  mark = now();
  play_sound_effect("steady.wav");
  const std::vector<float> before = record(mark, 0.6);
  ASSERT_GT(capture::tone(before, before.size() / 2, before.size() / 2, 880, output().rate), 0.1);
  mark = now();
  play_sound_effect("missing.wav");
  play_sound_effect("not_a_wave.wav");
  const std::vector<float> after = record(mark, 0.5);
  EXPECT_GT(capture::tone(after, 0, after.size(), 880, output().rate), 0.1);
}

TEST(SoundEffects, OpenOutputLeavesInterruptAndTerminateToTheDefault) {
  output();
  for (int sig : {SIGINT, SIGTERM}) {
    struct sigaction now_set;
    ASSERT_EQ(sigaction(sig, nullptr, &now_set), 0);
    EXPECT_TRUE(now_set.sa_handler == SIG_DFL) << "signal " << sig << " was taken over";
  }
}

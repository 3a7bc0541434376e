// The generated music and effects, parsed back from the bytes the build wrote.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

#include "platform/data_file_list.h"
#include "support/bytes.h"

namespace {

using bytes::Bytes;

Bytes read_run_file(const std::string& name) {
  return bytes::load(std::string(VORNA_RUN_DIR) + "/" + name);
}

// `n` bytes at `at`, big-endian (MIDI) or little-endian (RIFF); past the end throws.
uint32_t num(const Bytes& b, size_t at, int n, bool big) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | b.at(big ? at + i : at + n - 1 - i);
  return v;
}

}  // namespace

TEST(AudioAssets, BgmIsAGeneralMidiPieceOfOneToTwoMinutes) {
  const Bytes b = read_run_file("bgm.mid");
  auto be = [&](size_t at, int n) { return num(b, at, n, true); };
  ASSERT_EQ(be(0, 4), 0x4D546864u);  // "MThd"
  ASSERT_EQ(be(4, 4), 6u);
  EXPECT_EQ(be(8, 2), 1u);  // format 1: a track per part
  const uint32_t tracks = be(10, 2), division = be(12, 2);
  ASSERT_GE(tracks, 3u);
  ASSERT_TRUE(division > 0 && division < 0x8000);  // ticks per quarter note, not SMPTE
  std::map<uint32_t, uint32_t> tempo;              // tick -> microseconds per quarter note
  unsigned channels = 0;                           // bit per MIDI channel with notes
  uint32_t last_tick = 0;
  size_t at = 14;
  for (uint32_t t = 0; t < tracks; ++t) {
    SCOPED_TRACE(t);
    ASSERT_EQ(be(at, 4), 0x4D54726Bu);  // "MTrk"
    const size_t end = at + 8 + be(at + 4, 4);
    ASSERT_LE(end, b.size());
    at += 8;
    auto varlen = [&] {
      uint32_t v = b.at(at) & 0x7F;
      while (b.at(at++) & 0x80) v = v << 7 | (b.at(at) & 0x7F);
      return v;
    };
    uint32_t tick = 0;
    uint8_t status = 0;
    bool ended = false;
    while (at < end && !ended) {
      tick += varlen();
      if (b.at(at) & 0x80) status = b[at++];
      if (status == 0xFF) {
        const uint8_t type = b.at(at++);
        const uint32_t length = varlen();
        if (type == 0x51) tempo[tick] = be(at, 3);
        ended = type == 0x2F;
        at += length;
      } else {
        ASSERT_TRUE(status >= 0x80 && status < 0xF0) << "a data byte without a status, or sysex";
        const int kind = status & 0xF0;
        if (kind == 0x90 && b.at(at + 1) > 0) channels |= 1u << (status & 0x0F);
        at += (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
      }
      last_tick = std::max(last_tick, tick);
    }
    ASSERT_TRUE(ended && at == end) << "the track does not end with End of Track at its length";
  }
  EXPECT_EQ(at, b.size());

  double seconds = 0;
  uint32_t tick = 0, us = 500000;
  tempo[last_tick];  // closes the last stretch
  for (const auto& change : tempo) {
    seconds += double(change.first - tick) * us / division / 1e6;
    tick = change.first;
    us = change.second;
  }
  EXPECT_GE(seconds, 60.0);
  EXPECT_LE(seconds, 120.0);
  EXPECT_GE(__builtin_popcount(channels), 3);
  EXPECT_TRUE(channels & 1u << 9) << "percussion on the General MIDI drum channel";
}

TEST(AudioAssets, EffectsAreShortAudible16BitPcm) {
  for (const char* name : data_files::kEffects) {
    SCOPED_TRACE(name);
    const Bytes b = read_run_file(name);
    auto be = [&](size_t at, int n) { return num(b, at, n, true); };
    auto le = [&](size_t at, int n) { return num(b, at, n, false); };
    ASSERT_EQ(be(0, 4), 0x52494646u);  // "RIFF"
    ASSERT_EQ(be(8, 4), 0x57415645u);  // "WAVE"
    EXPECT_EQ(le(4, 4), b.size() - 8);
    uint32_t channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
    for (size_t at = 12, size = 0; at + 8 <= b.size(); at += 8 + size + (size & 1)) {
      size = le(at + 4, 4);
      ASSERT_LE(at + 8 + size, b.size()) << "a chunk runs past the file";
      if (be(at, 4) == 0x666D7420) {  // "fmt "
        EXPECT_EQ(le(at + 8, 2), 1u) << "PCM";
        channels = le(at + 10, 2);
        rate = le(at + 12, 4);
        bits = le(at + 22, 2);
        EXPECT_EQ(le(at + 16, 4), rate * channels * bits / 8) << "byte rate";
        EXPECT_EQ(le(at + 20, 2), channels * bits / 8) << "block align";
      } else if (be(at, 4) == 0x64617461 && bits == 16) {  // "data"
        for (size_t i = at + 8; i + 1 < at + 8 + size; i += 2)
          samples.push_back(static_cast<int16_t>(le(i, 2)));
      }
    }
    ASSERT_EQ(bits, 16u);
    const double seconds = double(samples.size()) / channels / rate;
    EXPECT_GT(seconds, 0.3);
    EXPECT_LT(seconds, 2.0);
    int peak = 0;
    for (int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 3000) << "audible";
    EXPECT_LT(peak, 32767) << "not clipped";
  }
}

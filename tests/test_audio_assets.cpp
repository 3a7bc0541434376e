// The generated music and effects, parsed back from the bytes the build wrote.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kRunDir = VORNA_RUN_DIR;
const std::string kTool = kRunDir + "/../tools/mkaudio/mkaudio";

std::vector<uint8_t> read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

uint32_t be(const std::vector<uint8_t>& b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | b.at(at + i);
  return v;
}

uint32_t le(const std::vector<uint8_t>& b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | b.at(at + i);
  return v;
}

struct Midi {
  int format = -1, tracks = 0, division = 0;
  std::map<uint32_t, uint32_t> tempo;  // tick -> microseconds per quarter note
  uint32_t last_tick = 0;
  std::set<int> note_channels, programmed_channels;
  int notes = 0;
  int unmatched = 0;  // note-offs without a note-on, plus note-ons never released
  std::string error;
  double seconds() const {
    double s = 0;
    uint32_t tick = 0, us = 500000;
    for (const auto& change : tempo) {
      if (change.first > last_tick) break;
      s += double(change.first - tick) * us / division / 1e6;
      tick = change.first;
      us = change.second;
    }
    return s + double(last_tick - tick) * us / division / 1e6;
  }
};

// A strict Standard MIDI File reader: every chunk must parse to its exact length.
Midi parse_midi(const std::vector<uint8_t>& b) {
  Midi m;
  if (b.size() < 14 || be(b, 0, 4) != 0x4D546864 || be(b, 4, 4) != 6) {
    m.error = "no MThd header";
    return m;
  }
  m.format = static_cast<int>(be(b, 8, 2));
  m.tracks = static_cast<int>(be(b, 10, 2));
  m.division = static_cast<int>(be(b, 12, 2));
  size_t at = 14;
  std::map<std::pair<int, int>, int> held;
  for (int t = 0; t < m.tracks; ++t) {
    if (at + 8 > b.size() || be(b, at, 4) != 0x4D54726B) {
      m.error = "track " + std::to_string(t) + ": no MTrk";
      return m;
    }
    const size_t end = at + 8 + be(b, at + 4, 4);
    if (end > b.size()) {
      m.error = "track " + std::to_string(t) + " runs past the file";
      return m;
    }
    at += 8;
    uint32_t tick = 0;
    uint8_t status = 0;
    bool ended = false;
    auto varlen = [&]() {
      uint32_t v = 0;
      for (int i = 0; i < 4 && at < end; ++i) {
        const uint8_t c = b[at++];
        v = (v << 7) | (c & 0x7F);
        if ((c & 0x80) == 0) return v;
      }
      throw std::runtime_error("bad variable-length number");
    };
    try {
      while (at < end && !ended) {
        tick += varlen();
        if (b.at(at) & 0x80) status = b[at++];
        if (status == 0xFF) {
          const uint8_t type = b.at(at++);
          const uint32_t len = varlen();
          if (type == 0x51 && len == 3) m.tempo[tick] = be(b, at, 3);
          if (type == 0x2F) ended = true;
          at += len;
        } else if (status == 0xF0 || status == 0xF7) {
          at += varlen();
        } else if (status >= 0x80) {
          const int kind = status & 0xF0, channel = status & 0x0F;
          const int data = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
          const int d1 = b.at(at), d2 = data == 2 ? b.at(at + 1) : 0;
          at += data;
          if (kind == 0x90 && d2 > 0) {
            ++held[{channel, d1}];
            ++m.notes;
            m.note_channels.insert(channel);
          } else if (kind == 0x80 || kind == 0x90) {
            if (--held[{channel, d1}] < 0) ++m.unmatched;
          } else if (kind == 0xC0) {
            m.programmed_channels.insert(channel);
          }
        } else {
          throw std::runtime_error("data byte without a status");
        }
        m.last_tick = std::max(m.last_tick, tick);
      }
    } catch (const std::exception& e) {
      m.error = "track " + std::to_string(t) + ": " + e.what();
      return m;
    }
    if (!ended || at != end) {
      m.error = "track " + std::to_string(t) + " does not end with End of Track at its length";
      return m;
    }
  }
  if (at != b.size()) m.error = "bytes after the last track";
  for (const auto& h : held) m.unmatched += h.second > 0 ? h.second : 0;
  return m;
}

struct Wave {
  int format = 0, channels = 0, rate = 0, bits = 0;
  std::vector<int16_t> samples;  // first channel
  std::string error;
  double seconds() const { return rate > 0 ? double(samples.size()) / rate : 0; }
};

Wave parse_wave(const std::vector<uint8_t>& b) {
  Wave w;
  if (b.size() < 12 || be(b, 0, 4) != 0x52494646 || be(b, 8, 4) != 0x57415645) {
    w.error = "no RIFF/WAVE header";
    return w;
  }
  if (le(b, 4, 4) != b.size() - 8) w.error = "RIFF size is not the file size";
  size_t at = 12;
  while (at + 8 <= b.size()) {
    const uint32_t id = be(b, at, 4), size = le(b, at + 4, 4);
    if (at + 8 + size > b.size()) {
      w.error = "chunk runs past the file";
      return w;
    }
    if (id == 0x666D7420 && size >= 16) {  // "fmt "
      w.format = static_cast<int>(le(b, at + 8, 2));
      w.channels = static_cast<int>(le(b, at + 10, 2));
      w.rate = static_cast<int>(le(b, at + 12, 4));
      w.bits = static_cast<int>(le(b, at + 22, 2));
      if (le(b, at + 20, 2) != uint32_t(w.channels * w.bits / 8) ||
          le(b, at + 16, 4) != uint32_t(w.rate * w.channels * w.bits / 8))
        w.error = "block align or byte rate disagree with the format";
    } else if (id == 0x64617461 && w.bits == 16 && w.channels > 0) {  // "data"
      if (size % (2 * w.channels) != 0) w.error = "data is not whole frames";
      for (size_t i = at + 8; i + 2 * w.channels <= at + 8 + size; i += 2 * w.channels)
        w.samples.push_back(static_cast<int16_t>(le(b, i, 2)));
    }
    at += 8 + size + (size & 1);
  }
  return w;
}

// Zero crossings per second over [from, to) seconds: a rough pitch, enough to tell up from down.
double crossings(const Wave& w, double from, double to) {
  const size_t a = static_cast<size_t>(from * w.rate), z = static_cast<size_t>(to * w.rate);
  int n = 0;
  for (size_t i = a + 1; i < z && i < w.samples.size(); ++i)
    n += (w.samples[i - 1] < 0) != (w.samples[i] < 0);
  return n / (to - from) / 2;
}

}  // namespace

TEST(AudioAssets, BgmIsAValidGeneralMidiPieceOfOneToTwoMinutes) {
  const Midi m = parse_midi(read_bytes(kRunDir + "/bgm.mid"));
  ASSERT_EQ(m.error, "");
  EXPECT_EQ(m.format, 1);
  EXPECT_GE(m.tracks, 4);  // tempo map and at least three instruments
  EXPECT_GT(m.division, 0);
  EXPECT_LT(m.division, 0x8000);  // ticks per quarter note, not SMPTE
  ASSERT_FALSE(m.tempo.empty());
  EXPECT_EQ(m.tempo.begin()->first, 0u);
  EXPECT_GE(m.seconds(), 60.0);
  EXPECT_LE(m.seconds(), 120.0);
  EXPECT_GE(m.note_channels.size(), 3u);
  EXPECT_EQ(m.note_channels.count(9), 1u) << "percussion on the General MIDI drum channel";
  for (int ch : m.note_channels) {
    if (ch == 9) continue;
    EXPECT_EQ(m.programmed_channels.count(ch), 1u) << "no program on channel " << ch;
  }
  EXPECT_GT(m.notes, 100);
  EXPECT_EQ(m.unmatched, 0) << "every note is released, none hangs on";
}

TEST(AudioAssets, EffectsAreShortNonSilent16BitPcmWithTheirShape) {
  std::map<std::string, Wave> waves;
  for (const char* name : {"dfog.wav", "life.wav", "die.wav"}) {
    SCOPED_TRACE(name);
    const Wave w = parse_wave(read_bytes(kRunDir + "/" + name));
    ASSERT_EQ(w.error, "");
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.bits, 16);
    EXPECT_GE(w.channels, 1);
    EXPECT_GT(w.seconds(), 0.3);
    EXPECT_LT(w.seconds(), 2.0);
    int peak = 0;
    for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 3000) << "audible";
    EXPECT_LT(peak, 32767) << "not clipped";
    // Starts and ends at rest, so no click.
    EXPECT_LT(std::abs(int(w.samples.front())), 300);
    EXPECT_LT(std::abs(int(w.samples.back())), 300);
    waves[name] = w;
  }
  const Wave& fog = waves["dfog.wav"];
  const Wave& life = waves["life.wav"];
  const Wave& die = waves["die.wav"];
  const double fog_end = fog.seconds(), die_end = die.seconds();
  EXPECT_LT(crossings(fog, 0, fog_end / 3) * 2, crossings(fog, fog_end * 2 / 3, fog_end))
      << "the fog sweep rises";
  EXPECT_LT(crossings(life, 0, 0.1), crossings(life, 0.3, 0.5)) << "the chime climbs";
  EXPECT_GT(crossings(die, 0, die_end / 3), crossings(die, die_end * 2 / 3, die_end))
      << "the death tone falls";
  EXPECT_LT(crossings(die, 0, die_end), 300) << "and stays low";
}

TEST(AudioAssets, ToolRebuildsTheSameBytesAndRejectsABrokenScore) {
  const std::string src = VORNA_SOURCE_DIR;
  ASSERT_EQ(std::system((kTool + " score " + src + "/assets/bgm.score again.mid").c_str()), 0);
  ASSERT_EQ(std::system((kTool + " effects " + src + "/assets/effects.txt .").c_str()), 0);
  EXPECT_EQ(read_bytes("again.mid"), read_bytes(kRunDir + "/bgm.mid"));
  for (const char* name : {"dfog.wav", "life.wav", "die.wav"})
    EXPECT_EQ(read_bytes(name), read_bytes(kRunDir + "/" + name)) << name;

  // A bar that is a beat short is caught with its line, and no file is left behind.
  {
    std::ofstream("short_bar.score") << "tempo 60\ntime 4/4\ntrack T\nch=1 prog=1\n"
                                        "| c4:4 d4 e4 |\n";
  }
  const std::string run = kTool + " score short_bar.score broken.mid 2> tool_err.txt";
  EXPECT_NE(std::system(run.c_str()), 0);
  const std::vector<uint8_t> err = read_bytes("tool_err.txt");
  EXPECT_NE(std::string(err.begin(), err.end()).find("short_bar.score:5: bar line"),
            std::string::npos);
  EXPECT_FALSE(std::ifstream("broken.mid").good());
}

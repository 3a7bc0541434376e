// The checks that stand between a sound file and the audio libraries.
#include "sound/sound_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "platform/data_file_list.h"
#include "support/bytes.h"

namespace {

using namespace bytes;

Bytes wave(uint32_t channels = 1, uint32_t bits = 16, uint32_t frames = 10, uint32_t format = 1) {
  const Wave_format f{channels, bits, 44100, format};
  return bytes::wave(f, Bytes(frames * f.block(), 0x11));
}

bool wave_ok(const Bytes& b) {
  return sound_files::is_wave(b.data(), b.size());
}
bool midi_ok(const Bytes& b) {
  return sound_files::is_midi(b.data(), b.size());
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};
Bytes events(Bytes e) {
  e.insert(e.end(), kEnd.begin(), kEnd.end());
  return e;
}

}  // namespace

TEST(SoundFiles, OurOwnFilesPass) {
  for (const char* name : data_files::kEffects)
    EXPECT_TRUE(wave_ok(load(std::string(VORNA_RUN_DIR) + "/" + name))) << name;
  const Bytes bgm = load(std::string(VORNA_RUN_DIR) + "/bgm.mid");
  EXPECT_TRUE(midi_ok(bgm));
  EXPECT_FALSE(wave_ok(bgm));
  EXPECT_FALSE(midi_ok(load(std::string(VORNA_RUN_DIR) + "/life.wav")));

  std::vector<unsigned char> read;
  EXPECT_TRUE(sound_files::read_file((std::string(VORNA_RUN_DIR) + "/bgm.mid").c_str(), read));
  EXPECT_EQ(read, bgm);
  EXPECT_FALSE(sound_files::read_file("missing.wav", read));
  EXPECT_TRUE(read.empty());
  EXPECT_FALSE(sound_files::read_file(VORNA_RUN_DIR, read));  // a folder
  EXPECT_FALSE(sound_files::read_file("", read));
  EXPECT_FALSE(sound_files::read_file(nullptr, read));
}

TEST(SoundFiles, WaveFormatFieldsMustAgree) {
  EXPECT_TRUE(wave_ok(wave()));
  EXPECT_TRUE(wave_ok(wave(8, 24)));
  EXPECT_TRUE(wave_ok(wave(2, 8)));
  EXPECT_TRUE(wave_ok(wave(2, 32, 10, 3)));  // float
  EXPECT_TRUE(wave_ok(wave(1, 8, 10, 7)));   // mu-law
  EXPECT_FALSE(wave_ok(wave(9, 16)));
  EXPECT_FALSE(wave_ok(wave(1, 12)));
  EXPECT_FALSE(wave_ok(wave(1, 16, 10, 3)));  // 16-bit float does not exist
  EXPECT_FALSE(wave_ok(wave(1, 16, 10, 2)));  // ADPCM: not ours
  EXPECT_FALSE(wave_ok(wave(1, 16, 0)));      // no samples

  struct Field {
    size_t at;
    uint32_t value;
    int bytes;
  };
  const Field broken[] = {
      {22, 0, 2},     {22, 512, 2},  // channels that divide by zero or overflow the mixer
      {24, 0, 4},     {24, 999, 4}, {24, 400000, 4},  // rates
      {28, 44100, 4},                                 // byte rate not rate * block align
      {32, 1, 2},     {32, 0, 2},                     // block align not channels * bits / 8
      {34, 0, 2},                                     // no bits
      {16, 14, 4},                                    // format chunk too short
  };
  for (const Field& f : broken) {
    Bytes b = wave();
    set_le(b, f.at, f.value, f.bytes);
    EXPECT_FALSE(wave_ok(b)) << "byte " << f.at << " = " << f.value;
  }

  Bytes ext = wave(2, 16, 10, 0xFFFE);
  EXPECT_TRUE(wave_ok(ext));
  set_le(ext, 38, 24, 2);  // more valid bits than the container holds
  EXPECT_FALSE(wave_ok(ext));
  set_le(ext, 38, 16, 2);
  set_le(ext, 44, 2, 2);
  EXPECT_FALSE(wave_ok(ext));
}

TEST(SoundFiles, WaveChunksMustLieWithinTheFile) {
  Bytes b = wave();
  for (size_t keep : {size_t(0), size_t(4), size_t(11), size_t(12), size_t(40), b.size() - 1})
    EXPECT_FALSE(wave_ok(Bytes(b.begin(), b.begin() + static_cast<long>(keep)))) << keep;
  b = wave();
  set_le(b, 40, 0xFFFFFFF0u, 4);  // data length that wraps
  EXPECT_FALSE(wave_ok(b));
  b = wave();
  set_le(b, 40, 19, 4);  // data not whole blocks
  EXPECT_FALSE(wave_ok(b));
  b = wave();
  set_le(b, 16, 0xFFFFFFFFu, 4);
  EXPECT_FALSE(wave_ok(b));

  // An odd chunk before the format is skipped with its pad byte; trailing chunks are fine.
  Bytes list;
  put(list, "LIST");
  put_le(list, 3, 4);
  list.insert(list.end(), {'a', 'b', 'c', 0});
  b = wave();
  b.insert(b.begin() + 12, list.begin(), list.end());
  set_le(b, 4, static_cast<uint32_t>(b.size() - 8), 4);
  EXPECT_TRUE(wave_ok(b));

  // Data before the format, two formats, a loop chunk, no data: refused.
  Bytes swapped = wave();
  Bytes head(swapped.begin(), swapped.begin() + 12),
      fmt(swapped.begin() + 12, swapped.begin() + 36), data(swapped.begin() + 36, swapped.end());
  Bytes reordered = head;
  reordered.insert(reordered.end(), data.begin(), data.end());
  reordered.insert(reordered.end(), fmt.begin(), fmt.end());
  EXPECT_FALSE(wave_ok(reordered));
  Bytes twice = head;
  for (const Bytes* part : {&fmt, &fmt, &data})
    twice.insert(twice.end(), part->begin(), part->end());
  set_le(twice, 4, static_cast<uint32_t>(twice.size() - 8), 4);
  EXPECT_FALSE(wave_ok(twice));
  Bytes loop = head;
  loop.insert(loop.end(), fmt.begin(), fmt.end());
  put(loop, "smpl");
  put_le(loop, 0, 4);
  loop.insert(loop.end(), data.begin(), data.end());
  set_le(loop, 4, static_cast<uint32_t>(loop.size() - 8), 4);
  EXPECT_FALSE(wave_ok(loop));
  Bytes no_data = head;
  no_data.insert(no_data.end(), fmt.begin(), fmt.end());
  set_le(no_data, 4, static_cast<uint32_t>(no_data.size() - 8), 4);
  EXPECT_FALSE(wave_ok(no_data));
}

// Streaming writers leave the RIFF size 0 or 0xFFFFFFFF: the mixer then reads to the end of the
// file, and the chunks must lie within that.
TEST(SoundFiles, WaveRiffSizeOfZeroOrPastTheFileMeansTheWholeFile) {
  const Bytes ours = load(std::string(VORNA_RUN_DIR) + "/life.wav");
  for (const Bytes& base : {wave(), ours}) {
    const uint32_t size = static_cast<uint32_t>(base.size());
    for (uint32_t riff : {0u, 0xFFFFFFFFu, size - 7, size + 100}) {
      Bytes b = base;
      set_le(b, 4, riff, 4);
      EXPECT_TRUE(wave_ok(b)) << riff;
      Bytes trailing = b;
      trailing.insert(trailing.end(), {'J', 'U', 'N', 'K', 2, 0, 0, 0, 1, 2, 3});
      EXPECT_TRUE(wave_ok(trailing)) << riff;
      // Past the data, a chunk declaring 3.5 GB (found by fuzzing: the mixer allocated it) and
      // loop points are refused as they are before it.
      for (const Bytes& tail : {Bytes{'L', 'I', 'S', 'T', 0x64, 0x89, 0xAE, 0xD3, 1, 2},
                                Bytes{'s', 'm', 'p', 'l', 2, 0, 0, 0, 1, 2}}) {
        Bytes after = b;
        after.insert(after.end(), tail.begin(), tail.end());
        EXPECT_FALSE(wave_ok(after)) << riff << " " << tail[0];
      }
      EXPECT_FALSE(wave_ok(Bytes(b.begin(), b.end() - 1))) << riff;     // data cut short
      EXPECT_FALSE(wave_ok(Bytes(b.begin(), b.begin() + 36))) << riff;  // no data
      Bytes streamed = b;  // the data size left unknown: SDL_mixer would allocate 4 GB for it
      set_le(streamed, 40, 0xFFFFFFFFu, 4);
      EXPECT_FALSE(wave_ok(streamed)) << riff;
    }
  }
  for (uint32_t riff : {1u, 3u}) {  // too short for the WAVE tag
    Bytes b = wave();
    set_le(b, 4, riff, 4);
    EXPECT_FALSE(wave_ok(b)) << riff;
  }
}

TEST(SoundFiles, MidiHeaderAndTracks) {
  const Bytes notes = events({0x00, 0x90, 0x3C, 0x64, 0x81, 0x00, 0x3C, 0x00, 0x00, 0xC0, 0x05,
                              0x00, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 0xFF, 0x03, 0x01, 'x'});
  EXPECT_TRUE(midi_ok(midi({notes})));
  EXPECT_TRUE(midi_ok(midi({notes}, 0)));
  EXPECT_TRUE(midi_ok(midi({kEnd, notes, kEnd})));
  Bytes unknown_chunk = midi({notes});
  Bytes xfih;
  put(xfih, "XFIH");
  put_be(xfih, 2, 4);
  put_be(xfih, 0, 2);
  unknown_chunk.insert(unknown_chunk.begin() + 14, xfih.begin(), xfih.end());
  EXPECT_TRUE(midi_ok(unknown_chunk));
  unknown_chunk[14] = 0xB2;  // a binary chunk name (found by fuzzing)
  EXPECT_FALSE(midi_ok(unknown_chunk));

  EXPECT_FALSE(midi_ok(midi({notes, notes}, 0)));  // format 0 with two tracks
  EXPECT_FALSE(midi_ok(midi({notes}, 2)));         // format 2
  EXPECT_FALSE(midi_ok(midi({}, 1)));              // no tracks
  EXPECT_FALSE(midi_ok(midi({notes}, 1, 2)));      // fewer tracks than declared
  Bytes b = midi({notes});
  b[7] = 7;  // header length
  EXPECT_FALSE(midi_ok(b));
  b = midi({notes});
  b[12] = 0xE7;  // SMPTE timing
  EXPECT_FALSE(midi_ok(b));
  b = midi({notes});
  b[12] = b[13] = 0;
  EXPECT_FALSE(midi_ok(b));
  b = midi({notes});
  b[21] += 1;  // track longer than the file
  EXPECT_FALSE(midi_ok(b));
  b = midi({notes});
  for (size_t keep = 0; keep < b.size(); keep += 3)
    EXPECT_FALSE(midi_ok(Bytes(b.begin(), b.begin() + static_cast<long>(keep)))) << keep;
}

// FluidSynth reads as many tracks as the header declares and nothing after them.
TEST(SoundFiles, MidiBytesAfterTheLastDeclaredTrackAreIgnored) {
  const Bytes notes = events({0x00, 0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00});
  const Bytes trailers[] = {
      {0x00},
      {'\n'},
      {'1', '2', '3', '4', '5', '6', '7'},                       // less than a chunk header
      {'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00},  // a track more than declared
      {'M', 'T', 'r', 'k', 0, 0, 0, 3, 0x00, 0x90, 0x3C},        // a broken one
      {0xB2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xF0},  // a binary name and a length past the end
  };
  const Bytes bgm = load(std::string(VORNA_RUN_DIR) + "/bgm.mid");
  for (const Bytes& base : {midi({notes}, 0), midi({kEnd, notes}), bgm}) {
    for (size_t i = 0; i < std::size(trailers); ++i) {
      Bytes b = base;
      b.insert(b.end(), trailers[i].begin(), trailers[i].end());
      EXPECT_TRUE(midi_ok(b)) << "trailer " << i;
    }
  }
  // Before the last declared track they still count: here the second track is missing.
  Bytes short_one = midi({notes}, 1, 2);
  short_one.push_back(0);
  EXPECT_FALSE(midi_ok(short_one));
  // RIFF-wrapped MIDI: SDL2_mixer takes it, but FluidSynth finds no MThd and plays nothing.
  EXPECT_FALSE(midi_ok(rmid(bgm)));
  EXPECT_FALSE(midi_ok(rmid(midi({notes}))));
}

// An RMID file is played as the MIDI file in its data chunk; anything else passes unchanged.
TEST(SoundFiles, UnwrapMidiTakesTheMidiOutOfAnRmidFile) {
  const Bytes inner = midi({events({0x00, 0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00})});
  Bytes info = rmid(inner);  // an odd-sized chunk before the data, padded
  const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  info.insert(info.begin() + 12, list.begin(), list.end());
  set_le(info, 4, static_cast<uint32_t>(info.size() - 8), 4);
  Bytes cut = rmid(inner);
  set_le(cut, 16, static_cast<uint32_t>(inner.size() + 2), 4);  // data past the RIFF size
  Bytes no_data = rmid(inner);
  std::memcpy(&no_data[12], "junk", 4);
  const struct {
    const char* name;
    Bytes file;
    bool ok;
  } cases[] = {
      {"plain MIDI", inner, true},
      {"RMID", rmid(inner), true},
      {"RMID with a LIST chunk", info, true},
      {"RMID of a broken MIDI", rmid(Bytes(inner.begin(), inner.end() - 1)), false},
      {"RMID with its data cut", cut, false},
      {"RMID without data", no_data, false},
      {"a wave", wave(), false},
  };
  for (const auto& c : cases) {
    Bytes b = c.file;
    EXPECT_EQ(sound_files::unwrap_midi(b), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(b, inner) << c.name;
    }
  }
}

TEST(SoundFiles, MidiEventsMustBeWellFormed) {
  const Bytes bad[] = {
      {0x00, 0x90, 0x3C, 0x64},                                  // no end-of-track
      events({0x81, 0x81, 0x81, 0x81, 0x00, 0x80, 0x3C, 0x00}),  // five-byte delta
      events({0x00, 0x3C, 0x64}),                                // data with no status in effect
      events({0x00, 0x90, 0x3C, 0xE4}),                          // data byte with its top bit set
      events({0x00, 0xF0, 0x05, 0x7E}),                          // sysex longer than the track
      events({0x00, 0xFF, 0x03, 0x81}),                          // meta length cut off
      events({0x00, 0xF8}),                                      // real-time message
      events({0x00, 0xF7, 0x01, 0x7F}),  // an escape, which FluidSynth cannot read (fuzzing)
      events({0x00, 0xFF, 0x01, 0x00, 0x00, 0x3C, 0x00}),  // running status after a meta event
      {0x00, 0xFF, 0x2F, 0x01, 0x00},                      // end-of-track with a length
      {0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x3C, 0x64},    // events after end-of-track
      {0x00},                                              // delta with no event
      // Meta events whose size is fixed, at another size (the first found by fuzzing).
      events({0x00, 0xFF, 0x59, 0x03, 0x07, 0xA1, 0x20}),
      events({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}),
      events({0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x00}),  // tempo zero
      events({0x00, 0xFF, 0x58, 0x03, 0x04, 0x02, 0x18}),
      events({0x00, 0xFF, 0x54, 0x04, 0x00, 0x00, 0x00, 0x00}),
      events({0x00, 0xFF, 0x20, 0x00}),
  };
  for (size_t i = 0; i < std::size(bad); ++i) EXPECT_FALSE(midi_ok(midi({bad[i]}))) << "case " << i;
  EXPECT_TRUE(midi_ok(
      midi({events({0x00, 0xFF, 0x59, 0x02, 0x00, 0x00, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18,
                    0x08, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x7F, 0x00})})));
  // Running status between channel messages is fine.
  EXPECT_TRUE(
      midi_ok(midi({events({0x00, 0x90, 0x3C, 0x64, 0x10, 0x3C, 0x00, 0x00, 0x40, 0x64})})));
}

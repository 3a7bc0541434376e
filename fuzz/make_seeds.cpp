// Writes the fuzzers' seed corpora: our own font, mazes, music and effects from the run
// directory, small hand-made files of each kind, and damaged ones.
// Usage: make_seeds RUN_DIR OUT_DIR
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "maze/maze_gen.h"
#include "platform/data_file_list.h"
#include "support/bytes.h"

namespace fs = std::filesystem;
using namespace bytes;

namespace {

fs::path g_out;

void save(const char* target, const std::string& name, const Bytes& b) {
  fs::create_directories(g_out / target);
  bytes::save(g_out / target / name, b);
}

// font layout: [encoding] [string length] [string] [font file]
void font_seeds(const fs::path& run) {
  const char* texts[] = {"SCORE 100 \x83\x51\x81\x5B\x83\x80", "LIFE \xA5\xB2\xA1\xBC\xA5\xE0"};
  Bytes real = load(run / data_files::kFont);
  if (real.size() > 4096) real.resize(4096);  // a valid head: the loader completes the rest
  // A small font of 8-pixel glyphs: literal packets, then runs.
  Bytes small = {8, 0, 0, 0};
  for (int i = 0; i < 40; ++i) {
    small.push_back(7);
    for (int j = 0; j < 8; ++j) small.push_back(static_cast<unsigned char>(i * 8 + j));
    small.push_back(0x80 + 7);
    small.push_back(0xAA);
  }
  const Bytes empty_header = {24, 0, 0, 0};
  const Bytes too_big = {1, 1, 0, 0, 0x80, 0};
  int n = 0;
  for (const Bytes* font :
       std::initializer_list<const Bytes*>{&real, &small, &empty_header, &too_big}) {
    for (int code = 0; code < 2; ++code) {
      Bytes seed = {static_cast<unsigned char>(code),
                    static_cast<unsigned char>(std::strlen(texts[code]))};
      put(seed, texts[code]);
      seed.insert(seed.end(), font->begin(), font->end());
      save("font", "seed" + std::to_string(n++), seed);
    }
  }
}

// maze layout: [width: 4] [height: 4] [flags: bit 0 generates first] [file]
void maze_seeds() {
  const int sizes[][2] = {{13, 13}, {3, 3}, {99, 99}, {53, 21}, {-5, 1000}, {0x7FFFFFFF, 4}};
  int n = 0;
  for (const auto& s : sizes) {
    create_vorna(s[0], s[1]);
    const Bytes maze = load("vorna.txt");
    for (unsigned char flags : {0, 1, 26}) {
      Bytes seed;
      put_le(seed, static_cast<uint32_t>(s[0]), 4);
      put_le(seed, static_cast<uint32_t>(s[1]), 4);
      seed.push_back(flags);
      seed.insert(seed.end(), maze.begin(), maze.end());
      save("maze", "seed" + std::to_string(n++), seed);
      if (flags == 0) {
        // Damaged: cut short, and with stray characters and blank lines.
        Bytes cut(seed.begin(), seed.begin() + static_cast<long>(9 + maze.size() / 3));
        save("maze", "seed" + std::to_string(n++), cut);
        Bytes odd = seed;
        for (size_t i = 9; i < odd.size(); i += 7) odd[i] = " x\n\t#_"[i % 6];
        save("maze", "seed" + std::to_string(n++), odd);
      }
    }
  }
  fs::remove("vorna.txt");
}

// Samples that are not silence, so a decoder that reads them has something to read.
Bytes seed_wave(uint32_t format, uint32_t channels, uint32_t rate, uint32_t bits, uint32_t frames) {
  const Wave_format f{channels, bits, rate, format};
  Bytes samples(frames * f.block());
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<unsigned char>(i * 37);
  return wave(f, samples);
}

void wave_seeds(const fs::path& run) {
  for (const char* name : data_files::kEffects) save("wave", name, load(run / name));
  save("wave", "pcm8_mono", seed_wave(1, 1, 8000, 8, 200));
  save("wave", "pcm16_stereo", seed_wave(1, 2, 44100, 16, 300));
  save("wave", "pcm24_6ch", seed_wave(1, 6, 48000, 24, 50));
  save("wave", "float32", seed_wave(3, 2, 22050, 32, 100));
  save("wave", "alaw", seed_wave(6, 1, 8000, 8, 100));
  save("wave", "extensible", seed_wave(0xFFFE, 2, 44100, 16, 100));
  Bytes zero = seed_wave(1, 1, 44100, 16, 100);
  zero[22] = 0;  // no channels
  save("wave", "zero_channels", zero);
  Bytes many = seed_wave(1, 1, 44100, 16, 100);
  many[23] = 2;  // 512 channels
  save("wave", "many_channels", many);
  // Streaming writers leave the RIFF size unknown; then bytes may follow the data chunk.
  const Bytes life = load(run / data_files::kLifeEffect);
  for (uint32_t riff : {0u, 0xFFFFFFFFu}) {
    Bytes streamed = life;
    set_le(streamed, 4, riff, 4);
    const std::string name = riff == 0 ? "riff_size_0" : "riff_size_max";
    save("wave", name, streamed);
    streamed.insert(streamed.end(), {'J', 'U', 'N', 'K', 3, 0, 0, 0, 1, 2, 3});
    save("wave", name + "_trailing", streamed);
  }
}

void midi_seeds(const fs::path& run) {
  const Bytes bgm = load(run / data_files::kMusic);
  save("midi", data_files::kMusic, bgm);
  Bytes cut(bgm.begin(), bgm.begin() + static_cast<long>(bgm.size() / 2));
  save("midi", "bgm_cut", cut);
  Bytes head = bgm;
  head[7] = 7;  // a header length the reader rejects
  save("midi", "bgm_bad_header", head);
  // Bytes after the last track, which the players never read; RIFF-wrapped MIDI, played as the
  // MIDI inside it.
  Bytes trailing = bgm;
  trailing.push_back(0);
  save("midi", "bgm_trailing_byte", trailing);
  trailing.insert(trailing.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 3, 0x00, 0x90, 0x3C});
  save("midi", "bgm_trailing_chunk", trailing);
  save("midi", "bgm_rmid", rmid(bgm));

  // Format 1, two tracks: tempo, then notes with running status, a sysex and a long delta.
  const Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00};
  const Bytes notes = {0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x64, 0x60, 0x3C,
                       0x00, 0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x81, 0x80,
                       0x00, 0xE0, 0x00, 0x40, 0x00, 0xFF, 0x2F, 0x00};
  const Bytes small = midi({tempo, notes}, 1, -1, 96);
  save("midi", "small", small);
  Bytes long_number = small;
  long_number[small.size() - notes.size() + 17] = 0x81;  // five-byte variable-length number
  long_number.insert(long_number.begin() + static_cast<long>(small.size() - notes.size() + 17),
                     {0x81, 0x81});
  save("midi", "long_number", long_number);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seeds RUN_DIR OUT_DIR\n");
    return 2;
  }
  const fs::path run = fs::absolute(argv[1]);
  g_out = fs::absolute(argv[2]);
  const fs::path scratch = g_out / "scratch";
  fs::create_directories(scratch);
  if (chdir(scratch.c_str()) != 0) return 1;
  font_seeds(run);
  maze_seeds();
  wave_seeds(run);
  midi_seeds(run);
  if (chdir(g_out.c_str()) != 0) return 1;
  fs::remove_all(scratch);
  return 0;
}

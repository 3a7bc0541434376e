#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Building binary files byte by byte: the tests' and the fuzz seeds' hand-made waves and MIDI.
namespace bytes {

using Bytes = std::vector<unsigned char>;

// The low `n` bytes of `v`, least significant first.
inline void put_le(Bytes& b, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
// The low `n` bytes of `v`, most significant first.
inline void put_be(Bytes& b, std::uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
inline void put(Bytes& b, const char* s) {
  b.insert(b.end(), s, s + std::strlen(s));
}
// Overwrites `n` bytes at `at` with `v`, least significant first.
inline void set_le(Bytes& b, std::size_t at, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// The whole file at `path`; empty when it cannot be read.
inline Bytes load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline void save(const std::string& path, const Bytes& b) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// What a wave's format chunk declares: format 1 PCM, 3 float, 0xFFFE extensible.
struct Wave_format {
  std::uint32_t channels = 1, bits = 16, rate = 44100, format = 1;
  std::uint32_t block() const { return channels * bits / 8; }
};

// A wave file of `data` as its samples. With the 16-byte format chunk the fields lie at 20
// format, 22 channels, 24 rate, 28 byte rate, 32 block align, 34 bits and 40 data length; the
// extensible format adds 24 bytes (valid bits at 38, the sub-format tag at 44: PCM or float).
inline Bytes wave(const Wave_format& f, const Bytes& data) {
  Bytes fmt;
  put_le(fmt, f.format, 2);
  put_le(fmt, f.channels, 2);
  put_le(fmt, f.rate, 4);
  put_le(fmt, f.rate * f.block(), 4);
  put_le(fmt, f.block(), 2);
  put_le(fmt, f.bits, 2);
  if (f.format == 0xFFFE) {
    put_le(fmt, 22, 2);
    put_le(fmt, f.bits, 2);
    put_le(fmt, f.channels == 2 ? 3 : 4, 4);
    put_le(fmt, f.bits == 32 ? 3 : 1, 2);
    for (unsigned char g :
         {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
      fmt.push_back(g);
  }
  Bytes b;
  put(b, "RIFF");
  put_le(b, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + data.size()), 4);
  put(b, "WAVEfmt ");
  put_le(b, static_cast<std::uint32_t>(fmt.size()), 4);
  b.insert(b.end(), fmt.begin(), fmt.end());
  put(b, "data");
  put_le(b, static_cast<std::uint32_t>(data.size()), 4);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

// A MIDI file of the given tracks, each given as its event bytes; the header may declare another
// number of tracks than there are.
inline Bytes midi(const std::vector<Bytes>& tracks, std::uint32_t format = 1, int declared = -1,
                  std::uint32_t division = 480) {
  Bytes b;
  put(b, "MThd");
  put_be(b, 6, 4);
  put_be(b, format, 2);
  put_be(b, static_cast<std::uint32_t>(declared < 0 ? tracks.size() : std::size_t(declared)), 2);
  put_be(b, division, 2);
  for (const Bytes& t : tracks) {
    put(b, "MTrk");
    put_be(b, static_cast<std::uint32_t>(t.size()), 4);
    b.insert(b.end(), t.begin(), t.end());
  }
  return b;
}

// A MIDI file wrapped in RIFF as an RMID file: its one data chunk, padded to an even length.
inline Bytes rmid(const Bytes& midi) {
  const std::uint32_t pad = midi.size() & 1;
  Bytes b;
  put(b, "RIFF");
  put_le(b, static_cast<std::uint32_t>(4 + 8 + midi.size() + pad), 4);
  put(b, "RMIDdata");
  put_le(b, static_cast<std::uint32_t>(midi.size()), 4);
  b.insert(b.end(), midi.begin(), midi.end());
  b.resize(b.size() + pad, 0);
  return b;
}

}  // namespace bytes

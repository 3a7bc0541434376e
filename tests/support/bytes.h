#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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

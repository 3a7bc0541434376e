#pragma once

// Reads back what SDL's disk audio driver wrote: the game's real mixed output, as samples.
// Include only in test programs that route their audio to a file (use_disk_audio first).
#include <SDL_mixer.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace capture {

// Must run before the first audio call of the test program.
inline void use_disk_audio(const std::string& file) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  std::remove(file.c_str());
}

// The opened output format; the capture is read as signed 16-bit little-endian.
struct Format {
  int rate = 0;
  int channels = 0;
  bool s16 = false;
};
inline Format format() {
  Format f;
  Uint16 fmt = 0;
  if (Mix_QuerySpec(&f.rate, &fmt, &f.channels) != 0) f.s16 = fmt == AUDIO_S16LSB;
  return f;
}

inline size_t frames(const std::string& file, const Format& f) {
  struct stat st;
  if (stat(file.c_str(), &st) != 0 || f.channels <= 0) return 0;
  return static_cast<size_t>(st.st_size) / (2u * static_cast<size_t>(f.channels));
}

// Polls the file size until it holds `count` frames (the driver writes about 150 ms behind
// real time). Gives up after a generous limit so a stuck driver fails instead of hanging.
inline bool wait_frames(const std::string& file, const Format& f, size_t count) {
  for (int i = 0; i < 6000; ++i) {
    if (frames(file, f) >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// Frames [from, from + count) mixed down to mono in -1..1.
inline std::vector<float> mono(const std::string& file, const Format& f, size_t from,
                               size_t count) {
  std::vector<float> out;
  FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return out;
  std::vector<int16_t> raw(count * static_cast<size_t>(f.channels));
  if (std::fseek(in, static_cast<long>(from * 2 * f.channels), SEEK_SET) == 0) {
    raw.resize(std::fread(raw.data(), 2, raw.size(), in));
  } else {
    raw.clear();
  }
  std::fclose(in);
  for (size_t i = 0; i + f.channels <= raw.size(); i += f.channels) {
    float sum = 0;
    for (int c = 0; c < f.channels; ++c) sum += raw[i + c];
    out.push_back(sum / f.channels / 32768.0f);
  }
  return out;
}

inline double rms(const std::vector<float>& s, size_t from = 0, size_t count = SIZE_MAX) {
  double sum = 0;
  size_t n = 0;
  for (size_t i = from; i < s.size() && n < count; ++i, ++n) sum += double(s[i]) * s[i];
  return n == 0 ? 0.0 : std::sqrt(sum / n);
}

// Amplitude of the `freq` component in s[from, from + count) (Goertzel); a full-scale sine
// at that frequency gives about 1.
inline double tone(const std::vector<float>& s, size_t from, size_t count, double freq, int rate) {
  const double w = 2.0 * M_PI * freq / rate;
  const double coeff = 2.0 * std::cos(w);
  double s1 = 0, s2 = 0;
  size_t n = 0;
  for (size_t i = from; i < s.size() && n < count; ++i, ++n) {
    const double s0 = s[i] + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  if (n == 0) return 0.0;
  const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
  return 2.0 * std::sqrt(std::max(0.0, power)) / n;
}

// A mono 16-bit wave file holding a sine tone, for effects whose pitch a test can follow.
inline void write_tone(const std::string& path, double freq, double seconds, double level) {
  const int rate = 44100;
  const uint32_t n = static_cast<uint32_t>(seconds * rate);
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return;
  auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, out); };
  auto u16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, out); };
  std::fwrite("RIFF", 1, 4, out);
  u32(36 + 2 * n);
  std::fwrite("WAVEfmt ", 1, 8, out);
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(2 * rate);
  u16(2);
  u16(16);
  std::fwrite("data", 1, 4, out);
  u32(2 * n);
  for (uint32_t i = 0; i < n; ++i) {
    const double fade = std::min(1.0, std::min(i, n - i) / 200.0);
    u16(static_cast<uint16_t>(
        static_cast<int16_t>(32767 * level * fade * std::sin(2 * M_PI * freq * i / rate))));
  }
  std::fclose(out);
}

}  // namespace capture

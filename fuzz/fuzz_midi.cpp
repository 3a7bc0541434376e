// The MIDI check fed any bytes (unwrapped when RIFF MIDI, as the players get them), and a file
// composed from them event by event. What it accepts must hold whole chunks up to its last
// declared track, and FluidSynth (the synthesizer SDL2_mixer hands MIDI to) must read and play it
// without a single error; a soundfont is not needed for that.
#include <fluidsynth.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sound/sound_files.h"

namespace {

fluid_synth_t* g_synth = nullptr;
const uint8_t* g_data = nullptr;
size_t g_size = 0;

void on_error(int level, const char* message, void*) {
  std::fprintf(stderr, "FluidSynth (%d): %s\n", level, message);
  if (g_data != nullptr) std::abort();  // an accepted file it complains about
}

void check_chunks(const uint8_t* data, size_t size) {
  const size_t tracks = size_t(data[10]) << 8 | data[11];
  size_t at = 14, found = 0;
  while (found < tracks) {
    if (size - at < 8) std::abort();
    const size_t length = size_t(data[at + 4]) << 24 | size_t(data[at + 5]) << 16 |
                          size_t(data[at + 6]) << 8 | data[at + 7];
    if (length > size - at - 8) std::abort();
    if (std::memcmp(data + at, "MTrk", 4) == 0) ++found;
    at += 8 + length;
  }
}

void put_number(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t bytes[4];
  int n = 0;
  do {
    bytes[n++] = v & 0x7F;
    v >>= 7;
  } while (v != 0 && n < 4);
  while (n-- > 0) out.push_back(static_cast<uint8_t>(bytes[n] | (n > 0 ? 0x80 : 0)));
}

// A file built from the input as a list of events, most of them of shapes the check accepts:
// FluidSynth then reads many more accepted files than raw mutation reaches.
std::vector<uint8_t> compose(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 0, 0, 96};
  size_t at = 0;
  auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
  const int tracks = 1 + next() % 4;
  out[11] = static_cast<uint8_t>(tracks);
  out[13] = static_cast<uint8_t>(1 + next() % 127);
  for (int t = 0; t < tracks; ++t) {
    std::vector<uint8_t> events;
    const int count = next() % 32;
    for (int e = 0; e < count && at < size; ++e) {
      const uint8_t kind = next();
      put_number(events, next() * (kind & 0x0F));
      if (kind < 0xA0) {  // a channel message; sometimes by running status
        const uint8_t status = static_cast<uint8_t>(0x80 + next() % 0x70);
        // Left out now and then: the data then runs on the status in effect, if any.
        if ((kind & 0x10) == 0) events.push_back(status);
        const int kind_bits = status >> 4;
        const int length = (kind_bits == 0xC || kind_bits == 0xD) ? 1 : 2;
        for (int i = 0; i < length; ++i) events.push_back(next() & 0x7F);
      } else if (kind < 0xE0) {  // a meta event of any type and length
        events.push_back(0xFF);
        events.push_back(next() & 0x7F);
        const uint8_t length = next() % 8;
        events.push_back(length);
        for (int i = 0; i < length; ++i) events.push_back(next());
      } else {  // a system exclusive message
        events.push_back(0xF0);
        const uint8_t length = next() % 8;
        events.push_back(length);
        for (int i = 0; i < length; ++i) events.push_back(next() & 0x7F);
      }
    }
    events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    for (int shift = 24; shift >= 0; shift -= 8)
      out.push_back(static_cast<uint8_t>(events.size() >> shift));
    out.insert(out.end(), events.begin(), events.end());
  }
  return out;
}

void play(const uint8_t* data, size_t size) {
  check_chunks(data, size);
  g_data = data;
  g_size = size;
  fluid_player_t* player = new_fluid_player(g_synth);
  if (fluid_player_add_mem(player, data, size) != FLUID_OK) std::abort();
  if (fluid_player_play(player) != FLUID_OK) std::abort();
  // The player loads the file on the synthesizer's first tick, then sends its events.
  static float left[4096], right[4096];
  for (int i = 0; i < 4; ++i) fluid_synth_write_float(g_synth, 4096, left, 0, 1, right, 0, 1);
  fluid_player_stop(player);
  delete_fluid_player(player);
  fluid_synth_system_reset(g_synth);
  g_data = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fluid_set_log_function(FLUID_PANIC, on_error, nullptr);
  fluid_set_log_function(FLUID_ERR, on_error, nullptr);
  for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG})
    fluid_set_log_function(level, nullptr, nullptr);
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  g_synth = new_fluid_synth(settings);
  if (g_synth == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file(data, data + size);
  if (sound_files::unwrap_midi(file)) play(file.data(), file.size());
  const std::vector<uint8_t> composed = compose(data, size);
  if (sound_files::is_midi(composed.data(), composed.size()))
    play(composed.data(), composed.size());
  return 0;
}

// The MIDI check fed any bytes. What it accepts must hold whole chunks to its last byte, and
// FluidSynth (the synthesizer SDL2_mixer hands MIDI to) must read and play it without a single
// error; a soundfont is not needed for that.
#include <fluidsynth.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

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
  size_t at = 14;
  while (at < size) {
    if (size - at < 8) std::abort();
    const size_t length = size_t(data[at + 4]) << 24 | size_t(data[at + 5]) << 16 |
                          size_t(data[at + 6]) << 8 | data[at + 7];
    if (length > size - at - 8) std::abort();
    at += 8 + length;
  }
  if (at != size) std::abort();
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
  if (!sound_files::is_midi(data, size)) return 0;
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
  return 0;
}

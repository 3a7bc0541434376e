#include "sound/sound_effect.h"

#include <string>
#include <vector>

#include "platform/data_files.h"
#include "sound/audio_device.h"
#include "sound/sound_files.h"

namespace {
sound_effect_listener g_listener = nullptr;
}

void set_sound_effect_listener(sound_effect_listener listener) {
  g_listener = listener;
}

// A file reaches the backend only once its bytes have passed the wave checks, unless the backend
// plays its own rendering of it.
void play_sound_effect(const char* wav_file) {
  if (g_listener != nullptr) g_listener(wav_file);
  if (audio::plays_renderings()) {
    if (wav_file != nullptr) audio::play_effect(wav_file, {});
    return;
  }
  const std::string file = data_file(wav_file);
  std::vector<unsigned char> bytes;
  if (!sound_files::read_file(file.c_str(), bytes) ||
      !sound_files::is_wave(bytes.data(), bytes.size()))
    return;
  audio::play_effect(file.c_str(), std::move(bytes));
}

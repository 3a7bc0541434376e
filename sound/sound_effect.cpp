#include "sound/sound_effect.h"

#include "app/data_files.h"
#include "sound/audio_device.h"

namespace {
sound_effect_listener g_listener = nullptr;
}

void set_sound_effect_listener(sound_effect_listener listener) {
  g_listener = listener;
}

void play_sound_effect(const char* wav_file) {
  if (g_listener != nullptr) g_listener(wav_file);
  audio::play_effect(data_file(wav_file).c_str());
}

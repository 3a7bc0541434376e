#include "sound/effect_listener.h"

#include "sound/sound_effect.h"

namespace {
sound_effect_listener g_listener = nullptr;
}

void set_sound_effect_listener(sound_effect_listener listener) {
  g_listener = listener;
}

void notify_sound_effect_listener(const char* wav_file) {
  if (g_listener != nullptr) g_listener(wav_file);
}

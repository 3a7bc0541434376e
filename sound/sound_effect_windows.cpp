#include "sound/sound_effect.h"

#include <windows.h>
#include <mmsystem.h>

namespace {
sound_effect_listener g_listener = nullptr;
}

void set_sound_effect_listener(sound_effect_listener listener) {
  g_listener = listener;
}

// Asynchronous, and without SND_NOSTOP: a new effect cuts off the one still sounding.
void play_sound_effect(const char* wav_file) {
  if (g_listener != nullptr) g_listener(wav_file);
  sndPlaySoundA(wav_file, SND_ASYNC);
}

#include "sound/sound_effect.h"

#include "app/data_files.h"
#include "sound/audio_device.h"
#include "sound/effect_listener.h"

void play_sound_effect(const char* wav_file) {
  notify_sound_effect_listener(wav_file);
  audio::play_effect(data_file(wav_file).c_str());
}

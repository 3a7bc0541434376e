#include <windows.h>
#include <mmsystem.h>

#include "app/data_files.h"
#include "sound/effect_listener.h"
#include "sound/sound_effect.h"

// Asynchronous, and without SND_NOSTOP: a new effect cuts off the one still sounding.
void play_sound_effect(const char* wav_file) {
  notify_sound_effect_listener(wav_file);
  sndPlaySoundA(data_file(wav_file).c_str(), SND_ASYNC);
}

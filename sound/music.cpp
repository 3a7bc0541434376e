#include "sound/music.h"

#include "sound/audio_device.h"

// Device kinds: 2 is the MIDI sequencer; 1 and any unknown kind the wave device, which plays
// sampled sound only; 3 (CD audio) has no counterpart here and never opens.
int music::Init(int device_kind, const char* element_name) {
  Term();  // a second Init must not strand the device already open
  if (device_kind == 3) return 0;
  const unsigned handle = audio::load_music(element_name, device_kind == 2);
  if (handle == 0) return 0;
  device_id = handle;
  opened = 1;
  return 1;
}

int music::Play() {
  if (opened == 0) return 1;
  if (audio::play_music(device_id)) return 1;
  Term();
  return 0;
}

void music::Term() {
  if (opened == 0) return;
  audio::free_music(device_id);
  opened = 0;
}

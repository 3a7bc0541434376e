// No sound device: the output never opens, so music and effects stay silent, as they do on a
// machine without a sound card.
#include "sound/audio_device.h"

namespace audio {

bool plays_renderings() {
  return false;
}

bool open() {
  return false;
}

unsigned load_music(const char*, Device, std::vector<unsigned char>) {
  return 0;
}

bool play_music(unsigned) {
  return false;
}

void free_music(unsigned) {}

void play_effect(const char*, std::vector<unsigned char>) {}

}  // namespace audio

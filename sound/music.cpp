#include "sound/music.h"

#include <vector>

#include "sound/audio_device.h"
#include "sound/sound_files.h"

namespace {

// Device kinds: 2 is the MIDI sequencer, 3 CD audio, 1 and any unknown kind the wave device.
// A file reaches the backend only once its bytes have passed the checks of its kind (unless the
// backend plays its own renderings of it).
unsigned load(int device_kind, const char* file) {
  const audio::Device device = device_kind == 3   ? audio::Device::cd
                               : device_kind == 2 ? audio::Device::sequencer
                                                  : audio::Device::wave;
  if (device == audio::Device::cd || audio::plays_renderings())
    return audio::load_music(file, device, {});
  std::vector<unsigned char> bytes;
  if (!sound_files::read_file(file, bytes)) return 0;
  if (device == audio::Device::sequencer ? !sound_files::unwrap_midi(bytes)
                                         : !sound_files::is_wave(bytes.data(), bytes.size()))
    return 0;
  return audio::load_music(file, device, std::move(bytes));
}

}  // namespace

int music::Init(int device_kind, const char* element_name) {
  Term();  // a second Init must not strand the device already open
  const unsigned handle = load(device_kind, element_name);
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

// The Windows backend: music through the media control interface, effects through
// sndPlaySoundA. Both play the checked file by its path; MCI reads an RMID file itself.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "sound/audio_device.h"

namespace audio {

bool plays_renderings() {
  return false;
}

// MCI opens its device when a piece is loaded; sndPlaySound needs nothing opened.
bool open() {
  return true;
}

// The media control interface plays in its own background and notifies no window. The handle
// is the MCI device id.
unsigned load_music(const char* file, Device device, std::vector<unsigned char>) {
  const char* type = device == Device::sequencer ? "sequencer"
                     : device == Device::cd      ? "cdaudio"
                                                 : "waveaudio";
  char device_type[16];
  std::strcpy(device_type, type);
  MCI_OPEN_PARMSA open{};
  open.lpstrDeviceType = device_type;
  open.lpstrElementName = file;
  if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                      reinterpret_cast<DWORD_PTR>(&open)) != 0)
    return 0;
  return open.wDeviceID;
}

// From the start, once, without waiting.
bool play_music(unsigned handle) {
  MCI_PLAY_PARMS play{};
  return mciSendCommandA(handle, MCI_PLAY, MCI_FROM, reinterpret_cast<DWORD_PTR>(&play)) == 0;
}

void free_music(unsigned handle) {
  mciSendCommandA(handle, MCI_CLOSE, 0, 0);
}

// Asynchronous, and without SND_NOSTOP: a new effect cuts off the one still sounding.
void play_effect(const char* file, std::vector<unsigned char>) {
  sndPlaySoundA(file, SND_ASYNC);
}

}  // namespace audio

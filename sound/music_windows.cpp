#include "sound/music.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

// The media control interface plays in its own background and notifies no window.
int music::Init(int device_kind, const char* element_name) {
  Term();  // a second Init must not strand the device already open
  const char* type = device_kind == 2 ? "sequencer" : device_kind == 3 ? "cdaudio" : "waveaudio";
  char device_type[16];
  std::strcpy(device_type, type);
  MCI_OPEN_PARMSA open{};
  open.lpstrDeviceType = device_type;
  open.lpstrElementName = element_name;
  if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                      reinterpret_cast<DWORD_PTR>(&open)) != 0) {
    opened = 0;
    return 0;
  }
  device_id = open.wDeviceID;
  opened = 1;
  return 1;
}

// From the start, once, without waiting; a device that refuses is closed again.
int music::Play() {
  if (opened == 0) return 1;
  MCI_PLAY_PARMS play{};
  if (mciSendCommandA(device_id, MCI_PLAY, MCI_FROM, reinterpret_cast<DWORD_PTR>(&play)) == 0)
    return 1;
  Term();
  return 0;
}

void music::Term() {
  if (opened == 0) return;
  mciSendCommandA(device_id, MCI_CLOSE, 0, 0);
  opened = 0;
}

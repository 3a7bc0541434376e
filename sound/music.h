#pragma once

// The background-music player: one device opened on one file, played once, closed.
// Device kinds: 1 wave audio, 2 MIDI sequencer, 3 CD audio, anything else wave audio.
class music {
 public:
  int Init(int device_kind, const char* element_name);
  int Play();
  void Term();

  unsigned int device_id = 0;
  int opened = 0;
};

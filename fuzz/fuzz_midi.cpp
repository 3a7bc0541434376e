// The MIDI check fed any bytes. What it accepts, a strict reader of its own walks again: every
// chunk and event must lie within the file.
#include <cstdint>
#include <cstdlib>

#include "sound/sound_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!sound_files::is_midi(data, size)) return 0;
  // Accepted files start with a six-byte header and hold whole chunks to the last byte.
  size_t at = 14;
  while (at < size) {
    if (size - at < 8) std::abort();
    const size_t length = size_t(data[at + 4]) << 24 | size_t(data[at + 5]) << 16 |
                          size_t(data[at + 6]) << 8 | data[at + 7];
    if (length > size - at - 8) std::abort();
    at += 8 + length;
  }
  if (at != size) std::abort();
  return 0;
}

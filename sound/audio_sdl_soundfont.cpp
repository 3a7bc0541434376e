#include <unistd.h>

#include <algorithm>

#include "sound/audio_sdl.h"

namespace {

// TimGM6mb, small (6 MB) and quick to load; Debian's default soundfont may be a 150 MB one.
const char kPreferredSoundFont[] = VORNA_SOUNDFONT;

}  // namespace

namespace audio {

bool readable(const std::string& path) {
  return !path.empty() && access(path.c_str(), R_OK) == 0;
}

void prefer_soundfont() {
  if (readable(kPreferredSoundFont)) Mix_SetSoundFonts(kPreferredSoundFont);
}

// FluidSynth prints errors for a soundfont it cannot open: only hand it one that is there.
bool soundfont_available() {
  const char* list = Mix_GetSoundFonts();
  if (list == nullptr) return false;
  std::string paths = list;
  size_t start = 0;
  while (start <= paths.size()) {
    const size_t end = std::min(paths.find(';', start), paths.size());
    if (readable(paths.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace audio

// The wave check fed any bytes; what it accepts is then loaded by the mixer the two ways the
// game does (an effect, decoded whole at load, and music on the wave device, decoded while it
// plays), on SDL's dummy output.
#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

#include "sound/sound_files.h"

namespace {

std::atomic<unsigned> g_mixes{0};

void count_mix(void*, Uint8*, int) {
  ++g_mixes;
}

// Lets the output thread run the music decoder a few times.
void let_it_play() {
  const unsigned start = g_mixes;
  for (int i = 0; i < 200 && g_mixes < start + 3; ++i) SDL_Delay(1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_AUDIO) != 0) std::abort();
  if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 256) != 0) std::abort();
  Mix_SetPostMix(count_mix, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!sound_files::is_wave(data, size)) return 0;

  SDL_RWops* source = SDL_RWFromConstMem(data, static_cast<int>(size));
  Mix_Chunk* chunk = Mix_LoadWAV_RW(source, SDL_FALSE);
  SDL_RWclose(source);
  if (chunk != nullptr) Mix_FreeChunk(chunk);

  source = SDL_RWFromConstMem(data, static_cast<int>(size));
  Mix_Music* music = Mix_LoadMUSType_RW(source, MUS_WAV, SDL_FALSE);
  if (music != nullptr) {
    if (Mix_PlayMusic(music, 0) == 0) let_it_play();
    Mix_FreeMusic(music);
  }
  SDL_RWclose(source);
  return 0;
}

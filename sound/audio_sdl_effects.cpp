#include "sound/audio_device.h"
#include "sound/audio_sdl.h"

namespace {

const int kEffectChannel = 0;

}  // namespace

namespace audio {

void play_effect(const char*, std::vector<unsigned char> bytes) {
  if (!open()) return;
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (source == nullptr) return;
  // The chunk holds its own converted copy; the source is ours to close, loaded or not.
  Mix_Chunk* chunk = Mix_LoadWAV_RW(source, SDL_FALSE);
  SDL_RWclose(source);
  if (chunk == nullptr) return;
  Output* out = output();
  Mix_HaltChannel(kEffectChannel);
  if (out->effect != nullptr) Mix_FreeChunk(out->effect);
  out->effect = chunk;
  Mix_PlayChannel(kEffectChannel, chunk, 0);
}

}  // namespace audio

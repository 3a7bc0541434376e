// The wave check fed any bytes, and a mended copy of them; what it accepts is then loaded by the
// mixer the two ways the game does (an effect, decoded whole at load, and music on the wave
// device, decoded while it plays), on SDL's dummy output.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

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

uint32_t get(const std::vector<uint8_t>& b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}
void set(std::vector<uint8_t>& b, size_t at, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Mends a file towards one the check accepts, keeping the fuzzer's choices where they are
// allowed: many more accepted shapes (formats, channels, chunk layouts) reach the mixer.
std::vector<uint8_t> mend(const uint8_t* data, size_t size) {
  std::vector<uint8_t> b(data, data + size);
  if (b.size() < 12) return b;
  std::memcpy(b.data(), "RIFF", 4);
  std::memcpy(b.data() + 8, "WAVE", 4);
  // A RIFF size of 0 or past the file stands for the whole file: kept, like any other choice.
  const uint32_t riff = get(b, 4, 4);
  if (riff != 0 && riff < b.size() - 8) set(b, 4, static_cast<uint32_t>(b.size() - 8), 4);
  static const uint32_t kFormats[] = {1, 3, 6, 7, 0xFFFE};
  uint32_t align = 0;
  size_t p = 12;
  while (b.size() - p >= 8) {
    uint32_t length = get(b, p + 4, 4);
    length = static_cast<uint32_t>(std::min<size_t>(length, b.size() - p - 8));
    const size_t body = p + 8;
    if (std::memcmp(&b[p], "fmt ", 4) == 0 && length >= 16) {
      uint32_t format = kFormats[get(b, body, 2) % 5];
      if (format == 0xFFFE && length < 40) format = 1;
      uint32_t sub = format;
      if (format == 0xFFFE) sub = b[body + 24] & 1 ? 3 : 1;
      const uint32_t channels = 1 + get(b, body + 2, 2) % 8;
      const uint32_t rate = 1000 + get(b, body + 4, 4) % 383001;
      const uint32_t pick = get(b, body + 14, 2);
      uint32_t bits = sub == 1 ? 8 * (1 + pick % 4) : sub == 3 ? 32 * (1 + pick % 2) : 8;
      align = channels * bits / 8;
      set(b, body, format, 2);
      set(b, body + 2, channels, 2);
      set(b, body + 4, rate, 4);
      set(b, body + 8, rate * align, 4);
      set(b, body + 12, align, 2);
      set(b, body + 14, bits, 2);
      if (format == 0xFFFE) {
        set(b, body + 16, 22, 2);
        const uint32_t valid = get(b, body + 18, 2) % (bits + 1);
        set(b, body + 18, valid == 0 ? bits : valid, 2);
        set(b, body + 24, sub, 2);
      }
    } else if (std::memcmp(&b[p], "data", 4) == 0 && align > 0) {
      length -= length % align;
    } else if (std::memcmp(&b[p], "smpl", 4) == 0) {
      std::memcpy(&b[p], "JUNK", 4);
    }
    set(b, p + 4, length, 4);
    p = body + length;
    if ((length & 1) != 0 && p < b.size()) ++p;
  }
  return b;
}

void load(const uint8_t* data, size_t size) {
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
  if (sound_files::is_wave(data, size)) load(data, size);
  const std::vector<uint8_t> mended = mend(data, size);
  if (sound_files::is_wave(mended.data(), mended.size())) load(mended.data(), mended.size());
  return 0;
}

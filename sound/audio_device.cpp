#include "sound/audio_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>

namespace {

// Small (6 MB) and quick to load; Debian's default soundfont may be a 150 MB one.
const char kPreferredSoundFont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";
const int kEffectChannel = 0;

// libasound reports a missing sound card on stderr; a game without sound stays quiet.
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// Set once the output has been torn down at exit; later calls then do nothing.
bool g_shut_down = false;

struct Output {
  int attempts = 0;
  bool ok = false;
  unsigned next_handle = 1;
  std::map<unsigned, Mix_Music*> pieces;
  Mix_Chunk* effect = nullptr;

  // Runs at exit: stop the mixer thread before anything it reads is freed.
  ~Output() {
    g_shut_down = true;
    if (!ok) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (auto& piece : pieces) Mix_FreeMusic(piece.second);
    pieces.clear();
    if (effect != nullptr) Mix_FreeChunk(effect);
    effect = nullptr;
    Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();
    ok = false;
  }
};

Output* output() {
  if (g_shut_down) return nullptr;
  static Output out;
  return &out;
}

bool readable(const std::string& path) {
  return !path.empty() && access(path.c_str(), R_OK) == 0;
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

// FluidSynth accepts any bytes at load time and only fails later, silently: check the header.
bool looks_like_midi(SDL_RWops* source) {
  char head[12] = {};
  const size_t got = SDL_RWread(source, head, 1, sizeof head);
  SDL_RWseek(source, 0, RW_SEEK_SET);
  if (got >= 4 && std::memcmp(head, "MThd", 4) == 0) return true;
  return got == 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "RMID", 4) == 0;
}

}  // namespace

namespace audio {

bool open() {
  Output* out = output();
  if (out == nullptr) return false;
  if (out->attempts > 0) return out->ok;
  ++out->attempts;

  snd_lib_error_set_handler(ignore_alsa_error);
  // SDL would otherwise take over SIGINT and SIGTERM, and Ctrl+C or kill would no longer end us.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(0) != 0) return false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    SDL_Quit();
    return false;
  }
  if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SDL_Quit();
    return false;
  }
  Mix_AllocateChannels(1);
  if (readable(kPreferredSoundFont)) Mix_SetSoundFonts(kPreferredSoundFont);
  out->ok = true;
  return true;
}

int open_attempts() {
  Output* out = output();
  return out == nullptr ? 0 : out->attempts;
}

unsigned load_music(const char* file, bool midi) {
  if (file == nullptr || !open()) return 0;
  if (midi && !soundfont_available()) return 0;
  SDL_RWops* source = SDL_RWFromFile(file, "rb");
  if (source == nullptr) return 0;
  if (midi && !looks_like_midi(source)) {
    SDL_RWclose(source);
    return 0;
  }
  // Typed loading: the sequencer takes only MIDI, the wave device only sampled sound.
  Mix_Music* piece = Mix_LoadMUSType_RW(source, midi ? MUS_MID : MUS_WAV, SDL_TRUE);
  if (piece == nullptr) return 0;
  Output* out = output();
  const unsigned handle = out->next_handle++;
  out->pieces[handle] = piece;
  return handle;
}

bool play_music(unsigned handle) {
  Output* out = output();
  if (out == nullptr || !out->ok) return false;
  const auto it = out->pieces.find(handle);
  if (it == out->pieces.end()) return false;
  return Mix_PlayMusic(it->second, 0) == 0;
}

void free_music(unsigned handle) {
  Output* out = output();
  if (out == nullptr) return;
  const auto it = out->pieces.find(handle);
  if (it == out->pieces.end()) return;
  Mix_FreeMusic(it->second);  // halts it first when it is the piece sounding
  out->pieces.erase(it);
}

void play_effect(const char* file) {
  if (file == nullptr || !open()) return;
  Mix_Chunk* chunk = Mix_LoadWAV(file);
  if (chunk == nullptr) return;
  Output* out = output();
  Mix_HaltChannel(kEffectChannel);
  if (out->effect != nullptr) Mix_FreeChunk(out->effect);
  out->effect = chunk;
  Mix_PlayChannel(kEffectChannel, chunk, 0);
}

}  // namespace audio

#include "sound/audio_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "sound/sound_files.h"

namespace {

// Small (6 MB) and quick to load; Debian's default soundfont may be a 150 MB one.
const char kPreferredSoundFont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";
const int kEffectChannel = 0;

// libasound reports a missing sound card on stderr; a game without sound stays quiet.
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// Set once the output has been torn down at exit; later calls then do nothing.
bool g_shut_down = false;

// A loaded piece reads its file from memory we own: no descriptor stays open, and a failed
// load cannot strand one inside the mixer.
struct Piece {
  Mix_Music* music = nullptr;
  SDL_RWops* source = nullptr;
  std::vector<unsigned char> bytes;

  void release() {
    if (music != nullptr) Mix_FreeMusic(music);  // halts it first when it is the piece sounding
    if (source != nullptr) SDL_RWclose(source);
    music = nullptr;
    source = nullptr;
  }
};

struct Output {
  int attempts = 0;
  bool ok = false;
  unsigned next_handle = 1;
  std::map<unsigned, Piece> pieces;
  Mix_Chunk* effect = nullptr;

  // Runs at exit: stop the mixer thread before anything it reads is freed.
  ~Output() {
    g_shut_down = true;
    if (!ok) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (auto& piece : pieces) piece.second.release();
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

// FluidSynth reports damaged files on stderr; a game with a bad music file stays quiet.
void silence_fluidsynth() {
  for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
    fluid_set_log_function(level, nullptr, nullptr);
}

}  // namespace

namespace audio {

bool open() {
  Output* out = output();
  if (out == nullptr) return false;
  if (out->attempts > 0) return out->ok;
  ++out->attempts;

  snd_lib_error_set_handler(ignore_alsa_error);
  silence_fluidsynth();
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
  Piece piece;
  if (!sound_files::read_file(file, piece.bytes)) return 0;
  // Typed loading: the sequencer takes only MIDI, the wave device only sampled sound.
  const unsigned char* data = piece.bytes.data();
  const std::size_t size = piece.bytes.size();
  if (midi ? !sound_files::is_midi(data, size) : !sound_files::is_wave(data, size)) return 0;
  piece.source = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (piece.source == nullptr) return 0;
  piece.music = Mix_LoadMUSType_RW(piece.source, midi ? MUS_MID : MUS_WAV, SDL_FALSE);
  if (piece.music == nullptr) {
    piece.release();
    return 0;
  }
  Output* out = output();
  const unsigned handle = out->next_handle++;
  out->pieces[handle] = std::move(piece);  // the bytes move, their address does not
  return handle;
}

bool play_music(unsigned handle) {
  Output* out = output();
  if (out == nullptr || !out->ok) return false;
  const auto it = out->pieces.find(handle);
  if (it == out->pieces.end()) return false;
  return Mix_PlayMusic(it->second.music, 0) == 0;
}

void free_music(unsigned handle) {
  Output* out = output();
  if (out == nullptr) return;
  const auto it = out->pieces.find(handle);
  if (it == out->pieces.end()) return;
  it->second.release();
  out->pieces.erase(it);
}

void play_effect(const char* file) {
  if (file == nullptr || !open()) return;
  std::vector<unsigned char> bytes;
  if (!sound_files::read_file(file, bytes) || !sound_files::is_wave(bytes.data(), bytes.size()))
    return;
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

#include "sound/audio_device.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <atomic>

#include "app/sdl_subsystems.h"
#include "sound/audio_sdl.h"

namespace {

// libasound reports a missing sound card on stderr; a game without sound stays quiet.
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// FluidSynth reports damaged files on stderr; a game with a bad music file stays quiet.
void silence_fluidsynth() {
  for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
    fluid_set_log_function(level, nullptr, nullptr);
}

// Set once the output has been torn down at exit; later calls then do nothing. The loader
// reads it too.
std::atomic<bool> g_shut_down{false};

}  // namespace

namespace audio {

void Piece::release() {
  if (music != nullptr) Mix_FreeMusic(music);  // halts it first when it is the piece sounding
  if (source != nullptr) SDL_RWclose(source);
  music = nullptr;
  source = nullptr;
}

// Runs at exit: stop the loader and the mixer thread before anything they read is freed.
Output::~Output() {
  g_shut_down = true;
  if (loader.joinable()) loader.join();
  if (!ok) return;
  Mix_HaltChannel(-1);
  Mix_HaltMusic();
  for (auto& piece : pieces) piece.second.release();
  pieces.clear();
  if (effect != nullptr) Mix_FreeChunk(effect);
  effect = nullptr;
  Mix_CloseAudio();
  Mix_Quit();
  stop_sdl_subsystem(SDL_INIT_AUDIO);
  ok = false;
}

Output* output() {
  if (g_shut_down) return nullptr;
  static Output out;
  return &out;
}

void finish_loading() {
  Output* out = output();
  if (out != nullptr && out->loader.joinable()) out->loader.join();
}

bool open_output() {
  Output* out = output();
  if (out == nullptr) return false;
  if (out->attempts > 0) return out->ok;
  ++out->attempts;

  snd_lib_error_set_handler(ignore_alsa_error);
  silence_fluidsynth();
  if (!start_sdl_subsystem(SDL_INIT_AUDIO)) return false;
  if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    stop_sdl_subsystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(1);
  out->ok = true;
  return true;
}

bool plays_renderings() {
  return false;
}

bool open() {
  finish_loading();
  return open_output();
}

}  // namespace audio

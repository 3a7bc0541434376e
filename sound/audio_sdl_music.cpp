#include "sound/audio_device.h"
#include "sound/audio_sdl.h"

namespace {

// Typed decoding: the sequencer takes only MIDI, the wave device only sampled sound. For MIDI
// this is where the synthesizer loads the soundfont.
bool decode(audio::Piece& piece, bool midi) {
  piece.source = SDL_RWFromConstMem(piece.bytes.data(), static_cast<int>(piece.bytes.size()));
  if (piece.source == nullptr) return false;
  piece.music = Mix_LoadMUSType_RW(piece.source, midi ? MUS_MID : MUS_WAV, SDL_FALSE);
  if (piece.music != nullptr) return true;
  piece.release();
  return false;
}

// The loader: opens the output if need be, decodes the piece, and starts it if Play came first.
void ready(audio::Output* out, audio::Piece* piece, bool midi) {
  const bool decoded = audio::open_output() && decode(*piece, midi);
  std::lock_guard<std::mutex> lock(out->loading);
  out->loading_handle = 0;
  if (decoded && out->play_when_loaded) Mix_PlayMusic(piece->music, 0);
}

}  // namespace

namespace audio {

unsigned load_music(const char*, Device device, std::vector<unsigned char> bytes) {
  Output* out = output();
  if (device == Device::cd || out == nullptr) return 0;  // no CD audio here
  finish_loading();
  if (out->attempts > 0 && !out->ok) return 0;  // already known: there is no output
  const bool midi = device == Device::sequencer;
  if (midi) {
    prefer_soundfont();
    if (!soundfont_available()) return 0;
  }
  Piece piece;
  piece.bytes = std::move(bytes);
  const unsigned handle = out->next_handle++;
  Piece& slot = out->pieces[handle] = std::move(piece);  // the bytes move, their address does not
  {
    std::lock_guard<std::mutex> lock(out->loading);
    out->loading_handle = handle;
    out->play_when_loaded = false;
  }
  out->loader = std::thread(ready, out, &slot, midi);
  return handle;
}

bool play_music(unsigned handle) {
  Output* out = output();
  if (out == nullptr) return false;
  {
    std::lock_guard<std::mutex> lock(out->loading);
    if (handle != 0 && handle == out->loading_handle) {
      out->play_when_loaded = true;  // the loader starts it the moment it is ready
      return true;
    }
  }
  finish_loading();
  if (!out->ok) return false;
  const auto it = out->pieces.find(handle);
  if (it == out->pieces.end() || it->second.music == nullptr) return false;
  return Mix_PlayMusic(it->second.music, 0) == 0;
}

void free_music(unsigned handle) {
  Output* out = output();
  if (out == nullptr) return;
  finish_loading();
  const auto it = out->pieces.find(handle);
  if (it == out->pieces.end()) return;
  it->second.release();
  out->pieces.erase(it);
}

}  // namespace audio

#pragma once

// Inside the SDL2_mixer backend only: the one output that the device start-up, the music and the
// effects share.
#include <SDL.h>
#include <SDL_mixer.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace audio {

// A loaded piece reads its file from memory we own: no descriptor stays open, and a failed
// load cannot strand one inside the mixer.
struct Piece {
  Mix_Music* music = nullptr;
  SDL_RWops* source = nullptr;
  std::vector<unsigned char> bytes;

  void release();
};

struct Output {
  int attempts = 0;
  bool ok = false;
  unsigned next_handle = 1;
  std::map<unsigned, Piece> pieces;
  Mix_Chunk* effect = nullptr;

  // Opening the output and decoding a piece (the soundfont load) run on `loader`, so that
  // start-up does not wait for them. Until it is joined only `loading`'s two fields are shared.
  std::thread loader;
  std::mutex loading;
  unsigned loading_handle = 0;  // the piece being readied, 0 when none
  bool play_when_loaded = false;

  ~Output();
};

// The output, or null once it has been torn down at exit.
Output* output();

// Opens the output on the calling thread; the loader's half of open().
bool open_output();

// Waits until the piece being readied in the background is ready (or failed).
void finish_loading();

// Soundfont lookup for the MIDI player: the preferred one when it is there.
void prefer_soundfont();
bool soundfont_available();

bool readable(const std::string& path);

}  // namespace audio

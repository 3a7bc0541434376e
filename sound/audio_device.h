#pragma once

#include <vector>

// The sound backend: the one audio output shared by the music player and the sound effects.
// One implementation per platform (SDL2_mixer, the Windows multimedia calls, ...); nothing
// outside sound/ sees which. The platform-neutral layer (music.cpp, sound_effect.cpp) reads
// and checks every file first, so a backend only ever sees files that passed the checks.
// Every call is made from the one event thread.
namespace audio {

// The music devices a music::Init kind asks for.
enum class Device {
  wave,       // sampled sound only
  sequencer,  // General MIDI
  cd,         // CD audio: names a drive or track, not a file of bytes
};

// True when the backend plays renderings of the game's sound files made at build time, which it
// fetches itself (the page's Opus or MP3), rather than the files' own bytes: the files are then
// neither read nor checked here, and `bytes` below stay empty.
bool plays_renderings();

// Opens the output on first use, quietly. With no device this fails once and is never tried
// again: the game then runs silent. Returns whether the output is open.
bool open();

// Loads the music piece `file` for `device`. `bytes` are the file's contents, already checked
// (a wave file, or a Standard MIDI File with any RIFF wrapper taken off); empty for CD audio.
// Returns a handle > 0, or 0 when the output is known to be missing or the device refuses
// the piece. A piece readied in the background that then fails to decode never sounds.
unsigned load_music(const char* file, Device device, std::vector<unsigned char> bytes);

// Starts the loaded piece once from the beginning without waiting; false when refused. Asked
// while the piece is still being readied, it starts as soon as it is ready.
bool play_music(unsigned handle);

// Stops (if it sounds) and forgets a loaded piece; unknown handles are ignored.
void free_music(unsigned handle);

// Plays the wave file `file`, whose checked contents are `bytes`, on the one effect channel,
// cutting off the effect still sounding.
void play_effect(const char* file, std::vector<unsigned char> bytes);

}  // namespace audio

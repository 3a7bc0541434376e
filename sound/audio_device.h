#pragma once

// The one audio output shared by the music player and the sound effects (SDL2_mixer inside;
// nothing outside sound/ sees SDL). Every call is made from the one event thread.
namespace audio {

// Opens the output on first use, quietly. With no device this fails once and is never tried
// again: the game then runs silent. Returns whether the output is open.
bool open();

// How many times opening was attempted in this process (at most one).
int open_attempts();

// Loads `file` for the music player: a General MIDI file when `midi`, else a sampled (wave)
// file. Returns a handle > 0, or 0 when there is no output, no such readable file of that
// kind, or (for MIDI) no soundfont.
unsigned load_music(const char* file, bool midi);

// Starts the loaded piece once from the beginning without waiting; false when refused.
bool play_music(unsigned handle);

// Stops (if it sounds) and forgets a loaded piece; unknown handles are ignored.
void free_music(unsigned handle);

// Plays a wave file on the one effect channel, cutting off the effect still sounding.
// A missing or unreadable file is ignored.
void play_effect(const char* file);

}  // namespace audio

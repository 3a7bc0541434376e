#pragma once

// The one audio output shared by the music player and the sound effects (SDL2_mixer inside;
// nothing outside sound/ sees SDL). Every call is made from the one event thread; opening the
// output and decoding the music run on a loader thread of their own, so start-up does not wait.
namespace audio {

// Opens the output on first use, quietly. With no device this fails once and is never tried
// again: the game then runs silent. Returns whether the output is open.
bool open();

// Loads `file` for the music player: a General MIDI file when `midi`, else a sampled (wave)
// file. Returns a handle > 0, or 0 when the output is known to be missing, there is no such
// readable file of that kind, or (for MIDI) no soundfont. The output is opened and the piece
// decoded in the background; a piece that then fails to decode never sounds.
unsigned load_music(const char* file, bool midi);

// Starts the loaded piece once from the beginning without waiting; false when refused. Asked
// while the piece is still being readied, it starts as soon as it is ready.
bool play_music(unsigned handle);

// Stops (if it sounds) and forgets a loaded piece; unknown handles are ignored.
void free_music(unsigned handle);

// Plays a wave file on the one effect channel, cutting off the effect still sounding.
// A missing or unreadable file is ignored.
void play_effect(const char* file);

}  // namespace audio

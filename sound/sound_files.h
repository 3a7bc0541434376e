#pragma once

#include <cstddef>
#include <vector>

// Checks of sound files made before any audio library sees them: a library that trusts a
// damaged header may divide by zero, read past the file or complain on stderr. Pure functions
// over bytes, shared by every audio backend.
namespace sound_files {

// Largest sound file read into memory; ours are a few hundred kilobytes.
constexpr std::size_t max_file_bytes = 64u << 20;

// Reads a whole file; false when it is missing, unreadable, or larger than the limit.
bool read_file(const char* path, std::vector<unsigned char>& bytes);

// A RIFF WAVE file whose chunks all lie within the RIFF size (or the file, when that size is 0
// or larger than the file), with one format chunk before the data (PCM, float, A-law, mu-law or
// their extensible form; 1-8 channels; 1-384 kHz; block alignment and byte rate that agree with
// the channels and bit depth) and a non-empty data chunk made of whole blocks.
bool is_wave(const unsigned char* data, std::size_t size);

// A Standard MIDI File of format 0 or 1 with metrical timing whose chunks up to the last declared
// track all lie within the file and have printable names, the tracks well-formed: every event
// complete within its track, no escaped (F7) events, meta events of their fixed sizes,
// variable-length numbers of at most four bytes, each track closed by end-of-track. Bytes after
// the last declared track are ignored. A RIFF-wrapped MIDI file (RMID) is not one: FluidSynth
// cannot read it.
bool is_midi(const unsigned char* data, std::size_t size);

// Leaves in `bytes` the Standard MIDI File a player reads: the file itself, or for an RMID file
// the body of its data chunk. True when that is one is_midi accepts.
bool unwrap_midi(std::vector<unsigned char>& bytes);

}  // namespace sound_files

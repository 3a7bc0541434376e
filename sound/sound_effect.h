#pragma once

// Plays one of the game's wave files (found like all its data) without waiting. A new effect cuts
// off the one still playing; a missing or unreadable file, or no audio device, is silently ignored.
void play_sound_effect(const char* wav_file);

// Tests watch the effect calls through this; null (the default) watches nothing.
using sound_effect_listener = void (*)(const char* wav_file);
void set_sound_effect_listener(sound_effect_listener listener);

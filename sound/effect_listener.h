#pragma once

// Tells the listener set with set_sound_effect_listener (if any) that `wav_file` is played.
void notify_sound_effect_listener(const char* wav_file);

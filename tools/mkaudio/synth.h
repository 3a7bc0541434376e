#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One effect line of the effects list: "<file> <kind> <seconds> key=value ...".
struct EffectDef {
  std::string file;
  std::string kind;  // "sweep", "chime" or "fall"
  double seconds = 0.0;
  std::vector<std::pair<std::string, std::string>> params;
};

// Parses the effects list. Throws std::runtime_error("<file>:<line>: <what>").
std::vector<EffectDef> parse_effects(const std::string& text, const std::string& file_name);

// Renders one effect to mono 16-bit samples at `rate`; deterministic for a given effect.
std::vector<int16_t> render_effect(const EffectDef& effect, int rate);

// A RIFF/WAVE file holding mono 16-bit PCM.
std::vector<uint8_t> wav_file(const std::vector<int16_t>& samples, int rate);

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads our text score and turns it into a Standard MIDI File (format 1).
// Throws std::runtime_error("<file>:<line>: <what>") on a malformed score.
std::vector<uint8_t> compile_score(const std::string& text, const std::string& file_name);

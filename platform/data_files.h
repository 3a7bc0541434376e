#pragma once

#include <string>

// Where the game finds the files it reads and where it writes the maze file.
//
// Read-only data (font, music, effects) comes from the working directory first, so the game
// run from its own folder behaves as it always has, then from the installed data folder, found
// from the binary's own place (<prefix>/games/vorna reads <prefix>/share/games/vorna; on
// Windows, the folder of vorna.exe).

// The installed data folder for a binary in `exe_dir` ("" when `exe_dir` is "").
std::string installed_data_dir(const std::string& exe_dir);

// The path to open for the data file `name`: `name` itself when the working directory has it
// (or when no folder has it, so the open fails as it always did), else the file in the
// installed data folder of `exe_dir`.
std::string find_data_file(const std::string& name, const std::string& exe_dir);

// find_data_file for the running binary.
std::string data_file(const std::string& name);

// True when `dir` holds any of the game's read-only data files.
bool has_game_data(const std::string& dir);

// The maze file's path: "vorna.txt" in the folder place_maze_file last chose, at first the
// working directory (the only one until a choice is made).
const std::string& maze_file();

// Start-up choice of where the maze file goes, in order: with the game's data in the working
// directory, there (as it always was) and then `state_dir`; started away from its data (from a
// menu, or a shell elsewhere), `state_dir` first, so the working directory stays clean. After
// both, a private folder under the system's temporary folder. Returns the first folder ("" for
// the working directory). A new choice drops the private folder of an old one.
std::string choose_maze_file_dir(const std::string& state_dir);

// Before each write: moves the maze file to the first folder of the choice that takes it,
// making a missing state folder (private to the user) or the private folder on the way. When
// none does, the file stays in the first and its write fails with the usual message.
void place_maze_file();

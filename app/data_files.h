#pragma once

#include <string>

// Where the game finds the files it reads and where it writes the maze file.
//
// Read-only data (font, music, effects) comes from the working directory first, so the game
// run from its own folder behaves as it always has, then from the installed data folder, found
// from the binary's own place (<prefix>/games/vorna reads <prefix>/share/games/vorna).

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

// The maze file's path: "vorna.txt" in the working directory unless set_maze_file_dir moved it.
const std::string& maze_file();
void set_maze_file_dir(const std::string& dir);  // "" puts it back in the working directory

// Start-up choice: a game started away from its data (from a menu, or a shell elsewhere) keeps
// its maze file in `state_dir` instead of littering the working directory. Returns the folder
// chosen ("" for the working directory).
std::string choose_maze_file_dir(const std::string& state_dir);

// Creates the maze file's folder when it is missing (private to the user); before each write.
// A folder that cannot be made is left to the write, which then fails with its usual message.
void make_maze_file_dir();

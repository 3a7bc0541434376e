#include "app/data_files.h"

#include <filesystem>
#include <system_error>

#include "app/platform.h"

namespace fs = std::filesystem;

namespace {

// Relative to the binary's folder: games/ and share/games/vorna/ under one prefix.
#ifndef VORNA_DATA_FROM_BIN
#define VORNA_DATA_FROM_BIN "../share/games/vorna"
#endif

const char* const kDataFiles[] = {"shnm16.f1b", "bgm.mid", "dfog.wav", "life.wav", "die.wav"};
const char* const kMazeFileName = "vorna.txt";

std::string g_maze_file = kMazeFileName;
std::string g_maze_dir;

bool is_file(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace

std::string installed_data_dir(const std::string& exe_dir) {
  if (exe_dir.empty()) return "";
  return (fs::path(exe_dir) / VORNA_DATA_FROM_BIN).lexically_normal().string();
}

std::string find_data_file(const std::string& name, const std::string& exe_dir) {
  if (is_file(name)) return name;
  const std::string installed = installed_data_dir(exe_dir);
  if (!installed.empty() && is_file(fs::path(installed) / name))
    return (fs::path(installed) / name).string();
  return name;
}

std::string data_file(const std::string& name) {
  return find_data_file(name, executable_dir());
}

bool has_game_data(const std::string& dir) {
  for (const char* name : kDataFiles)
    if (is_file(fs::path(dir) / name)) return true;
  return false;
}

const std::string& maze_file() {
  return g_maze_file;
}

void set_maze_file_dir(const std::string& dir) {
  g_maze_dir = dir;
  g_maze_file = dir.empty() ? kMazeFileName : (fs::path(dir) / kMazeFileName).string();
}

std::string choose_maze_file_dir(const std::string& state_dir) {
  set_maze_file_dir(has_game_data(".") ? "" : state_dir);
  return g_maze_dir;
}

void make_maze_file_dir() {
  if (g_maze_dir.empty()) return;
  std::error_code ec;
  // Private to its user, as the XDG base directory rules ask.
  if (fs::create_directories(g_maze_dir, ec)) fs::permissions(g_maze_dir, fs::perms::owner_all, ec);
}

#include "platform/data_files.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/data_file_list.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

// Relative to the binary's folder: games/ and share/games/vorna/ under one prefix (the build
// sets it; on Windows the data sits beside vorna.exe).
#ifndef VORNA_DATA_FROM_BIN
#define VORNA_DATA_FROM_BIN "../share/games/vorna"
#endif

const char* const kMazeFileName = "vorna.txt";

std::string g_maze_file = kMazeFileName;
std::vector<std::string> g_maze_dirs = {""};  // in order; "" is the working directory
bool g_private_dir_last = false;              // the start-up choice adds it

// The game's own folder under the temporary folder, made when first needed; gone at exit.
struct PrivateDir {
  ~PrivateDir() { drop(); }
  void drop() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(fs::u8path(path), ec);
    path.clear();
  }
  std::string path;
} g_private_dir;

bool is_file(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string maze_file_in(const std::string& dir) {
  return dir.empty() ? kMazeFileName : (fs::u8path(dir) / kMazeFileName).u8string();
}

// True when the maze file can be written in `dir`, made first if missing (private to its user,
// as the XDG base directory rules ask). The file is left there for the write that follows.
bool takes_maze_file(const std::string& dir) {
  std::error_code ec;
  if (!dir.empty() && fs::create_directories(fs::u8path(dir), ec))
    fs::permissions(fs::u8path(dir), fs::perms::owner_all, ec);
  return std::ofstream(fs::u8path(maze_file_in(dir)), std::ios::app).is_open();
}

}  // namespace

std::string installed_data_dir(const std::string& exe_dir) {
  if (exe_dir.empty()) return "";
  fs::path dir = (fs::u8path(exe_dir) / VORNA_DATA_FROM_BIN).lexically_normal();
  if (!dir.has_filename()) dir = dir.parent_path();  // "." leaves a trailing separator
  return dir.u8string();
}

std::string find_data_file(const std::string& name, const std::string& exe_dir) {
  if (is_file(fs::u8path(name))) return name;
  const std::string installed = installed_data_dir(exe_dir);
  const fs::path file = fs::u8path(installed) / fs::u8path(name);
  return !installed.empty() && is_file(file) ? file.u8string() : name;
}

std::string data_file(const std::string& name) {
  return find_data_file(name, executable_dir());
}

bool has_game_data(const std::string& dir) {
  for (const char* name : data_files::kAll)
    if (is_file(fs::u8path(dir) / name)) return true;
  return false;
}

const std::string& maze_file() {
  return g_maze_file;
}

std::string choose_maze_file_dir(const std::string& state_dir) {
  g_private_dir.drop();
  g_private_dir_last = true;
  g_maze_dirs = {""};
  if (!state_dir.empty())
    g_maze_dirs.insert(has_game_data(".") ? g_maze_dirs.end() : g_maze_dirs.begin(), state_dir);
  g_maze_file = maze_file_in(g_maze_dirs.front());
  return g_maze_dirs.front();
}

void place_maze_file() {
  for (const std::string& dir : g_maze_dirs) {
    if (takes_maze_file(dir)) {
      g_maze_file = maze_file_in(dir);
      return;
    }
  }
  // Never a fixed name in a shared folder: another user could plant a link there.
  if (g_private_dir_last && g_private_dir.path.empty())
    g_private_dir.path = make_private_temp_dir();
  const bool private_dir = !g_private_dir.path.empty() && takes_maze_file(g_private_dir.path);
  g_maze_file = maze_file_in(private_dir ? g_private_dir.path : g_maze_dirs.front());
}

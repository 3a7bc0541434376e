#pragma once

#include <string>
#include <vector>

#include "support/gl_window.h"

// Drives the real `vorna` binary under the test's X display: start it in a working directory,
// find its window, send real input with xdotool, take screenshots, close it like a desktop does.
namespace e2e {

// Runs a shell command, returns its standard output (exit status in *status when given).
std::string run(const std::string& command, int* status = nullptr);

// Quotes one word for /bin/sh.
std::string shell_quote(const std::string& word);

// The folder with the binary and its data files, and the binary itself.
std::string run_dir();
std::string binary();

// A fresh working directory holding links to the run directory's data files (font, music,
// effects) but not "vorna.txt". Removed by nobody: it lives under the test's scratch dir.
std::string make_workdir(const std::string& name);

class Game {
 public:
  // Starts VORNA_BIN in `workdir` with extra "NAME=value" environment entries (an entry
  // "NAME" without '=' removes NAME). A non-empty `wrapper` is a command line the binary is
  // run under, e.g. {"gdb", "-batch", ..., "--args"}: the binary path is appended to it.
  explicit Game(const std::string& workdir, const std::vector<std::string>& env = {},
                const std::vector<std::string>& wrapper = {});
  ~Game();  // kills the process if it still runs
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // Everything the game wrote to stdout / stderr so far (reads without blocking).
  const std::string& out();
  const std::string& err();
  // Waits up to `seconds` for `text` to appear on stdout.
  bool wait_for_output(const std::string& text, double seconds);

  // The game's top-level window id (0 when none appears within `seconds`).
  unsigned long window(double seconds = 10.0);

  void key(const std::string& keysym);       // xdotool key --window
  void click(int x, int y, int button = 1);  // move into the window and click
  gltest::Frame screenshot();                // the window's pixels
  void close_window();                       // WM_DELETE_WINDOW, as a desktop's close
  // Waits up to `seconds` for the process to end; returns its exit status, or -1 on time-out
  // (-2 when killed by a signal).
  int wait_exit(double seconds);
  int pid() const { return pid_; }

 private:
  void drain();
  int pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  unsigned long window_ = 0;
  std::vector<unsigned long> older_windows_;  // game windows already there before the start
  int status_ = -1;
  bool exited_ = false;
  std::string out_;
  std::string err_;
};

}  // namespace e2e

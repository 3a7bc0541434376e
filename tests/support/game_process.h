#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/gl_window.h"
#include "support/x11_process.h"

// Drives the real `vorna` binary under the test's X display: start it in a working directory,
// find its window, send real input with xdotool, take screenshots, close it like a desktop does.
namespace e2e {

// Runs a shell command, returns its standard output (exit status in *status when given).
std::string run(const std::string& command, int* status = nullptr);

// A fresh working directory under the test's scratch dir; with `data`, it holds links to the
// run directory's data files (font, music, effects) but never "vorna.txt".
std::string make_workdir(const std::string& name, bool data = true);

class Game {
 public:
  // Starts the binary in `workdir` with extra "NAME=value" environment entries (a bare "NAME"
  // removes NAME), under an optional wrapper command such as {"gdb", ..., "--args"}; `binary`
  // replaces the build's own (an installed copy, say).
  explicit Game(const std::string& workdir, const std::vector<std::string>& env = {},
                const std::vector<std::string>& wrapper = {}, const std::string& binary = "");
  ~Game();  // kills the process if it still runs
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // Everything the game wrote to stdout / stderr so far.
  const std::string& out();
  const std::string& err();
  bool wait_for_output(const std::string& text, double seconds);

  // The game's top-level window id (0 when none appears within `seconds`).
  unsigned long window(double seconds = 10.0);
  void key(const std::string& keysym);       // xdotool key --window
  void click(int x, int y, int button = 1);  // move into the window and click
  gltest::Frame screenshot();                // the window's pixels
  void close_window();                       // WM_DELETE_WINDOW, as a desktop's close
  // The game's process id (the shell that starts it execs into it).
  int pid() const { return pid_; }
  // The exit status, -1 on time-out, -2 when killed by a signal.
  int wait_exit(double seconds);

 private:
  int pid_ = -1;
  int status_ = -1;
  bool exited_ = false;
  unsigned long window_ = 0;
  std::vector<unsigned long> older_windows_;  // game windows already there before the start
  std::string out_path_, err_path_, out_, err_;
};

// Screenshots of `game`, `poll_ms` apart, until `pred` holds for a whole 500 x 500 frame (kept
// in *last); false when none did within `seconds`.
bool wait_for_frame(Game& game, const std::function<bool(const gltest::Frame&)>& pred,
                    double seconds, int poll_ms, gltest::Frame* last);

// Pixels of the play screen.
bool is_green(const gltest::Rgb& c);          // a wall mark
bool is_wall_shade(const gltest::Rgb& c);     // a wall a few units ahead: grey in the blue fog
bool in_3d_view(const gltest::Frame& f);      // the lower half all walls and floor, no background
int bar_pixels(const gltest::Frame& f);       // the life bar's length: a pixel per 20 life points
bool game_over_page(const gltest::Frame& f);  // no life bar, the page's text dark on white

// The opening of a scripted play, shared by the end-to-end test and the valgrind run: the title
// page, 's' to the first stage, Up into room (1, 1), Left to face its north wall, a click that
// marks it green. Each step is awaited for at most `seconds`, by screenshots `poll_ms` apart;
// the first that does not show fails the running test. *last ends as the marked wall.
void play_opening(Game& game, double seconds, int poll_ms, gltest::Frame* last);

}  // namespace e2e

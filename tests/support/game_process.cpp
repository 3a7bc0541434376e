#include "support/game_process.h"

#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/data_file_list.h"

using gltest::Frame;

extern char** environ;

namespace e2e {
namespace fs = std::filesystem;
namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point deadline_after(double seconds) {
  return Clock::now() +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::vector<unsigned long> game_windows() {
  std::vector<unsigned long> ids;
  std::istringstream list(run("xdotool search --onlyvisible --classname '^vorna$' 2>/dev/null"));
  for (unsigned long id = 0; list >> id;) ids.push_back(id);
  return ids;
}

bool contains(const std::vector<unsigned long>& ids, unsigned long id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

const std::string& slurp(const std::string& path, std::string& into) {
  std::ifstream in(path, std::ios::binary);
  into.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return into;
}

}  // namespace

std::string run(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    if (status != nullptr) *status = -1;
    return output;
  }
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) output.append(buf, n);
  const int rc = pclose(pipe);
  if (status != nullptr) *status = (rc != -1 && WIFEXITED(rc)) ? WEXITSTATUS(rc) : -1;
  return output;
}

std::string make_workdir(const std::string& name, bool data) {
  const fs::path dir = fs::current_path() / ("e2e-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(VORNA_RUN_DIR, ec)) {
    const fs::path file = entry.path().filename();
    const bool wanted =
        std::count(std::begin(data_files::kAll), std::end(data_files::kAll), file) > 0;
    if (data && wanted && entry.is_regular_file()) fs::create_symlink(entry.path(), dir / file);
  }
  return dir.string();
}

Game::Game(const std::string& workdir, const std::vector<std::string>& env,
           const std::vector<std::string>& wrapper, const std::string& binary)
    : out_path_(workdir + ".stdout"), err_path_(workdir + ".stderr") {
  // Output goes to files beside the workdir, so nothing can block on a full pipe.
  std::string command = "cd " + quote(workdir) + " && exec env";
  for (const std::string& e : env)
    command += (e.find('=') == std::string::npos ? " -u " : " ") + quote(e);
  for (const std::string& w : wrapper) command += " " + quote(w);
  command += " " + quote(binary.empty() ? VORNA_BIN : binary) + " </dev/null >" + quote(out_path_) +
             " 2>" + quote(err_path_);

  // A connection kept open for the whole test program: with no client left between two
  // games, the X server would reset and refuse the next game's first connection.
  static Display* keep_server_up = XOpenDisplay(nullptr);
  (void)keep_server_up;
  // Another game's window still on the display must not be taken for this one.
  older_windows_ = game_windows();

  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  if (posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    pid_ = -1;
}

Game::~Game() {
  if (!exited_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  // The server drops a dead client's window a moment later: wait, so the next game on this
  // display cannot take it for its own.
  for (int i = 0; window_ != 0 && i < 100 && contains(game_windows(), window_); ++i) pause_ms(30);
}

const std::string& Game::out() {
  return slurp(out_path_, out_);
}

const std::string& Game::err() {
  return slurp(err_path_, err_);
}

bool Game::wait_for_output(const std::string& text, double seconds) {
  const auto deadline = deadline_after(seconds);
  while (out().find(text) == std::string::npos) {
    if (Clock::now() > deadline) return false;
    pause_ms(20);
  }
  return true;
}

unsigned long Game::window(double seconds) {
  const auto deadline = deadline_after(seconds);
  while (window_ == 0 && Clock::now() < deadline) {
    const std::vector<unsigned long> ids = game_windows();
    // An older window that has gone may come back as an id of this game's.
    older_windows_.erase(std::remove_if(older_windows_.begin(), older_windows_.end(),
                                        [&](unsigned long id) { return !contains(ids, id); }),
                         older_windows_.end());
    for (const unsigned long id : ids)
      if (window_ == 0 && !contains(older_windows_, id)) window_ = id;
    if (window_ == 0) pause_ms(50);
  }
  return window_;
}

void Game::key(const std::string& keysym) {
  if (window() != 0) run("xdotool key --window " + std::to_string(window_) + " " + quote(keysym));
}

void Game::click(int x, int y, int button) {
  // Focus follows the pointer without a window manager: the pointer goes in first.
  if (window() != 0)
    run("xdotool mousemove --window " + std::to_string(window_) + " " + std::to_string(x) + " " +
        std::to_string(y) + " click " + std::to_string(button));
}

gltest::Frame Game::screenshot() {
  gltest::Frame frame;
  Display* display = window() != 0 ? XOpenDisplay(nullptr) : nullptr;
  if (display == nullptr) return frame;
  XWindowAttributes a;
  XImage* image = XGetWindowAttributes(display, window_, &a) == 0
                      ? nullptr
                      : XGetImage(display, window_, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
  if (image != nullptr) {
    frame.width = a.width;
    frame.height = a.height;
    // Scale each masked channel to 0..255, whatever the visual's layout.
    auto channel = [](unsigned long pixel, unsigned long mask) {
      return static_cast<std::uint8_t>(mask == 0 ? 0 : (pixel & mask) * 255UL / mask);
    };
    for (int y = 0; y < frame.height; ++y)
      for (int x = 0; x < frame.width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        for (unsigned long mask : {image->red_mask, image->green_mask, image->blue_mask})
          frame.rgb.push_back(channel(p, mask));
      }
    XDestroyImage(image);
  }
  XCloseDisplay(display);
  return frame;
}

void Game::close_window() {
  e2e::close_window(window());
}

int Game::wait_exit(double seconds) {
  if (!exited_ && pid_ > 0) exited_ = reap_child(pid_, seconds, &status_);
  return exited_ ? status_ : -1;
}

bool wait_for_frame(Game& game, const std::function<bool(const Frame&)>& pred, double seconds,
                    int poll_ms, Frame* last) {
  const auto deadline = deadline_after(seconds);
  while (Clock::now() < deadline) {
    const Frame f = game.screenshot();
    if (f.width == 500 && f.height == 500 && pred(*last = f)) return true;
    pause_ms(poll_ms);
  }
  return false;
}

bool is_green(const gltest::Rgb& c) {
  return c[1] > c[0] + 60 && c[1] > c[2] + 60;
}

bool is_wall_shade(const gltest::Rgb& c) {
  return c[0] < 80 && c[0] == c[1] && c[2] < 110;
}

bool in_3d_view(const Frame& f) {
  return f.count(0, 250, 500, 480, gltest::is_white) == 0;
}

int bar_pixels(const Frame& f) {
  return f.count(0, 495, f.width, 496,
                 [](const gltest::Rgb& c) { return c[0] > 200 && c[1] < 40 && c[2] < 40; });
}

bool game_over_page(const Frame& f) {
  return bar_pixels(f) == 0 && f.count(180, 245, 330, 270, gltest::is_dark) > 30;
}

void play_opening(Game& game, double seconds, int poll_ms, Frame* last) {
  const auto wait_for = [&](const std::function<bool(const Frame&)>& pred) {
    return wait_for_frame(game, pred, seconds, poll_ms, last);
  };
  ASSERT_TRUE(wait_for([](auto& f) { return f.count(0, 0, 500, 500, gltest::is_white) > 125000; }))
      << "no title page";
  game.key("s");
  ASSERT_TRUE(wait_for(in_3d_view)) << "no stage";

  // Up: the picture changes by far more than the spinning items make it change.
  const Frame start = *last;
  const int idle = gltest::differing(start, game.screenshot());
  game.key("Up");
  EXPECT_TRUE(wait_for([&](auto& f) { return gltest::differing(start, f) > 10000 + 4 * idle; }))
      << "no step";

  // Left: facing row 0, a wall 2.5 ahead fills the centre; a click marks it green.
  game.key("Left");
  ASSERT_TRUE(wait_for([](auto& f) { return f.count(200, 200, 300, 300, is_wall_shade) == 10000; }))
      << "no wall ahead";
  EXPECT_EQ(last->count(0, 0, 500, 488, is_green), 0);
  game.click(250, 250);
  EXPECT_TRUE(wait_for([](auto& f) { return f.count(200, 200, 300, 300, is_green) > 1000; }))
      << "no mark";
}

}  // namespace e2e

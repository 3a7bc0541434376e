#include "support/game_process.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {
namespace fs = std::filesystem;
namespace {

using Clock = std::chrono::steady_clock;

void pause_ms(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock::time_point deadline_after(double seconds) {
  return Clock::now() +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Windows already handed to a live Game, so two games in one test never share one.
std::set<unsigned long>& claimed_windows() {
  static std::set<unsigned long> ids;
  return ids;
}

std::vector<unsigned long> game_windows() {
  std::vector<unsigned long> ids;
  std::istringstream list(run("xdotool search --onlyvisible --name Zarvos 2>/dev/null"));
  unsigned long id = 0;
  while (list >> id) ids.push_back(id);
  return ids;
}

// The test binary lives in <build>/tests/, the run directory is <build>/run/.
std::string run_dir_from_exe() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "run";
  return (exe.parent_path().parent_path() / "run").string();
}

void set_nonblocking_cloexec(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// Appends whatever is readable now; false once the writer has closed its end.
bool read_available(int fd, std::string& into) {
  if (fd < 0) return false;
  char buf[4096];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      into.append(buf, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

std::vector<std::string> build_environment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) env.emplace_back(*e);
  for (const std::string& entry : extra) {
    const std::string name = entry.substr(0, entry.find('='));
    for (auto it = env.begin(); it != env.end();) {
      if (it->compare(0, name.size() + 1, name + "=") == 0)
        it = env.erase(it);
      else
        ++it;
    }
    if (entry.find('=') != std::string::npos) env.push_back(entry);
  }
  return env;
}

std::vector<char*> c_strings(std::vector<std::string>& words) {
  std::vector<char*> out;
  for (std::string& w : words) out.push_back(w.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

std::string run(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    if (status != nullptr) *status = -1;
    return output;
  }
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) output.append(buf.data(), n);
  const int rc = pclose(pipe);
  if (status != nullptr) *status = (rc != -1 && WIFEXITED(rc)) ? WEXITSTATUS(rc) : -1;
  return output;
}

std::string shell_quote(const std::string& word) {
  std::string q = "'";
  for (char c : word) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

std::string run_dir() {
#ifdef VORNA_RUN_DIR
  return VORNA_RUN_DIR;
#else
  return run_dir_from_exe();
#endif
}

std::string binary() {
#ifdef VORNA_BIN
  return VORNA_BIN;
#else
  return run_dir() + "/vorna";
#endif
}

std::string make_workdir(const std::string& name) {
  const fs::path dir = fs::current_path() / ("e2e-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path source = run_dir();
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(source, ec)) {
    const fs::path file = entry.path().filename();
    const bool data = file == "shnm16.f1b" || file == "bgm.mid" || file.extension() == ".wav";
    if (data && entry.is_regular_file()) fs::create_symlink(entry.path(), dir / file);
  }
  return dir.string();
}

Game::Game(const std::string& workdir, const std::vector<std::string>& env,
           const std::vector<std::string>& wrapper) {
  int out_pipe[2];
  int err_pipe[2];
  if (pipe(out_pipe) != 0) throw std::runtime_error("pipe failed");
  if (pipe(err_pipe) != 0) {
    close(out_pipe[0]);
    close(out_pipe[1]);
    throw std::runtime_error("pipe failed");
  }

  // Everything the child needs is built before fork: only exec-safe calls after it.
  std::vector<std::string> args = wrapper;
  args.push_back(binary());
  std::vector<std::string> envs = build_environment(env);
  std::vector<char*> argv = c_strings(args);
  std::vector<char*> envp = c_strings(envs);
  std::string program = args.front();
  if (program.find('/') == std::string::npos) {
    // Resolve a bare wrapper name through PATH now, not in the child.
    const std::string found = run("command -v " + shell_quote(program));
    if (!found.empty()) program = found.substr(0, found.find('\n'));
  }

  // A connection kept open for the whole test program: with no client left between two
  // games, the X server would reset and refuse the next game's first connection.
  static Display* keep_server_up = XOpenDisplay(nullptr);
  (void)keep_server_up;

  // Another game left on the same display must not be taken for this one.
  older_windows_ = game_windows();

  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    if (chdir(workdir.c_str()) != 0) _exit(126);
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    close(out_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[0]);
    close(err_pipe[1]);
    const int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, STDIN_FILENO);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  out_fd_ = out_pipe[0];
  err_fd_ = err_pipe[0];
  set_nonblocking_cloexec(out_fd_);
  set_nonblocking_cloexec(err_fd_);
}

Game::~Game() {
  if (!exited_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (window_ != 0) {
    // The server drops a dead client's window a moment later: wait, so the next game on this
    // display can neither take it for its own nor lose its own id to it.
    for (int i = 0; i < 100; ++i) {
      const std::vector<unsigned long> ids = game_windows();
      if (std::find(ids.begin(), ids.end(), window_) == ids.end()) break;
      pause_ms(30);
    }
    claimed_windows().erase(window_);
  }
  if (out_fd_ >= 0) close(out_fd_);
  if (err_fd_ >= 0) close(err_fd_);
}

void Game::drain() {
  if (!read_available(out_fd_, out_)) {
    if (out_fd_ >= 0) close(out_fd_);
    out_fd_ = -1;
  }
  if (!read_available(err_fd_, err_)) {
    if (err_fd_ >= 0) close(err_fd_);
    err_fd_ = -1;
  }
}

const std::string& Game::out() {
  drain();
  return out_;
}

const std::string& Game::err() {
  drain();
  return err_;
}

bool Game::wait_for_output(const std::string& text, double seconds) {
  const auto deadline = deadline_after(seconds);
  for (;;) {
    drain();
    if (out_.find(text) != std::string::npos) return true;
    if (Clock::now() > deadline || out_fd_ < 0) return false;
    pause_ms(20);
  }
}

unsigned long Game::window(double seconds) {
  if (window_ != 0) return window_;
  const auto deadline = deadline_after(seconds);
  for (;;) {
    drain();
    const std::vector<unsigned long> ids = game_windows();
    // An older window that has gone may come back as an id of this game's.
    older_windows_.erase(std::remove_if(older_windows_.begin(), older_windows_.end(),
                                        [&](unsigned long id) {
                                          return std::find(ids.begin(), ids.end(), id) == ids.end();
                                        }),
                         older_windows_.end());
    for (const unsigned long id : ids) {
      const bool older =
          std::find(older_windows_.begin(), older_windows_.end(), id) != older_windows_.end();
      if (!older && claimed_windows().count(id) == 0) {
        window_ = id;
        claimed_windows().insert(id);
        return window_;
      }
    }
    if (Clock::now() > deadline) return 0;
    if (!exited_ && pid_ > 0) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        return 0;
      }
    }
    if (exited_) return 0;
    pause_ms(50);
  }
}

void Game::key(const std::string& keysym) {
  const unsigned long id = window();
  if (id == 0) return;
  run("xdotool key --window " + std::to_string(id) + " " + shell_quote(keysym));
}

void Game::click(int x, int y, int button) {
  const unsigned long id = window();
  if (id == 0) return;
  // Focus follows the pointer without a window manager: the pointer goes in first.
  run("xdotool mousemove --window " + std::to_string(id) + " " + std::to_string(x) + " " +
      std::to_string(y) + " click " + std::to_string(button));
}

gltest::Frame Game::screenshot() {
  gltest::Frame frame;
  const unsigned long id = window();
  if (id == 0) return frame;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return frame;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, id, &attributes) != 0) {
    XImage* image = XGetImage(display, id, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image != nullptr) {
      frame.width = attributes.width;
      frame.height = attributes.height;
      frame.rgb.resize(static_cast<std::size_t>(frame.width) * frame.height * 3);
      // Scale each masked channel to 0..255, whatever the visual's layout.
      auto channel = [](unsigned long pixel, unsigned long mask) -> std::uint8_t {
        if (mask == 0) return 0;
        int shift = 0;
        while (((mask >> shift) & 1UL) == 0) ++shift;
        const unsigned long max = mask >> shift;
        return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255UL / max);
      };
      std::size_t i = 0;
      for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
          const unsigned long p = XGetPixel(image, x, y);
          frame.rgb[i++] = channel(p, image->red_mask);
          frame.rgb[i++] = channel(p, image->green_mask);
          frame.rgb[i++] = channel(p, image->blue_mask);
        }
      }
      XDestroyImage(image);
    }
  }
  XCloseDisplay(display);
  return frame;
}

void Game::close_window() {
  const unsigned long id = window();
  if (id == 0) return;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  XEvent event;
  std::memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = id;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, id, False, NoEventMask, &event);
  XFlush(display);
  XCloseDisplay(display);
}

int Game::wait_exit(double seconds) {
  const auto deadline = deadline_after(seconds);
  while (!exited_) {
    drain();
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      exited_ = true;
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
      break;
    }
    if (r < 0 && errno != EINTR) return -1;
    if (Clock::now() > deadline) return -1;
    pause_ms(20);
  }
  // The pipes close with the process: collect what is left.
  for (int i = 0; i < 50 && (out_fd_ >= 0 || err_fd_ >= 0); ++i) {
    drain();
    if (out_fd_ >= 0 || err_fd_ >= 0) pause_ms(10);
  }
  return status_;
}

}  // namespace e2e

#include "platform/platform.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <SDL.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <errno.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <system_error>
#include <vector>

#include "platform/sdl_subsystems.h"

namespace fs = std::filesystem;

namespace {

Display* g_probe = nullptr;

volatile std::sig_atomic_t g_stop_requested = 0;

void note_stop_request(int) {
  g_stop_requested = 1;
}

const char* display_argument(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-display") == 0) return argv[i + 1];
  return nullptr;
}

}  // namespace

// The probe connection stays open until the toolkit has its own: an X server whose last
// client leaves resets itself and refuses connections for that moment.
bool window_system_ready(int argc, char** argv) {
  if (g_probe == nullptr) g_probe = XOpenDisplay(display_argument(argc, argv));
  if (g_probe != nullptr) return true;
  std::fputs("vorna: no X display found; the game needs a graphical display (set DISPLAY)\n",
             stderr);
  return false;
}

void release_display_probe() {
  if (g_probe != nullptr) XCloseDisplay(g_probe);
  g_probe = nullptr;
}

// Exit-time destructors are not safe in a signal handler: it only sets the flag. The handler
// resets itself, so a second signal of the kind takes its default action.
void catch_stop_requests() {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction old {};
    // Ignored when we were started (nohup, a background job): stays ignored.
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = note_stop_request;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(signal, &action, nullptr);
  }
}

bool stop_requested() {
  return g_stop_requested != 0;
}

// Closing the window ends the process through exit(), so exit-time destructors run.
void set_toolkit_options() {
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
}

// A desktop game plays on whether its window is seen or not.
bool game_paused() {
  return false;
}

void move_pointer(int x, int y) {
  glutWarpPointer(x, y);
}

// freeglut stores its title as Latin-1 text. UTF8_STRING properties carry the Japanese title
// whatever the locale, in the ICCCM names as well as the EWMH ones.
void set_window_title(const char* utf8_title) {
  Display* display = glXGetCurrentDisplay();
  const Window window = static_cast<Window>(glXGetCurrentDrawable());
  if (display == nullptr || window == 0 || utf8_title == nullptr) return;
  // One round trip to the server for every atom, on the way to the first frame.
  char* names[] = {const_cast<char*>("WM_NAME"),      const_cast<char*>("WM_ICON_NAME"),
                   const_cast<char*>("_NET_WM_NAME"), const_cast<char*>("_NET_WM_ICON_NAME"),
                   const_cast<char*>("UTF8_STRING"),  const_cast<char*>("_NET_WM_PID")};
  Atom atoms[6];
  XInternAtoms(display, names, 6, False, atoms);
  const Atom utf8_string = atoms[4], net_wm_pid = atoms[5];
  for (int i = 0; i < 4; ++i)
    XChangeProperty(display, window, atoms[i], utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8_title),
                    static_cast<int>(std::strlen(utf8_title)));

  // The class matches the desktop entry; the PID lets tools find the window of a process.
  char res_name[] = "vorna";
  char res_class[] = "Vorna";
  XClassHint hint{res_name, res_class};
  XSetClassHint(display, window, &hint);
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    char* hosts[] = {host};
    XTextProperty machine{};
    if (XStringListToTextProperty(hosts, 1, &machine) != 0) {
      XSetWMClientMachine(display, window, &machine);
      XFree(machine.value);
    }
  }
  const long pid = static_cast<long>(getpid());
  XChangeProperty(display, window, net_wm_pid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  XFlush(display);
}

void print_console(const char* utf8_text, bool flush) {
  std::fputs(utf8_text, stdout);
  if (flush) std::fflush(stdout);
}

std::string executable_dir() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) {
    // No /proc (some sandboxes): the name the program was started by.
    std::error_code ec;
    return program_dir(program_invocation_name, fs::current_path(ec).string(), std::getenv("PATH"));
  }
  const std::string exe(path, static_cast<std::size_t>(n));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "" : exe.substr(0, slash == 0 ? 1 : slash);
}

// The search execvp does: the first executable file; an empty entry is the working directory.
std::string program_dir(const std::string& argv0, const std::string& cwd, const char* path) {
  std::vector<fs::path> tries;
  if (argv0.find('/') != std::string::npos) {
    tries.push_back(fs::path(cwd) / argv0);
  } else if (!argv0.empty() && path != nullptr) {
    const std::string list = path;
    for (std::size_t begin = 0, end; begin <= list.size(); begin = end + 1) {
      end = std::min(list.find(':', begin), list.size());
      tries.push_back(fs::path(cwd) / list.substr(begin, end - begin) / argv0);
    }
  }
  for (const fs::path& file : tries) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || access(file.c_str(), X_OK) != 0) continue;
    const fs::path real = fs::canonical(file, ec);
    if (!ec) return real.parent_path().string();
  }
  return "";
}

// The XDG base directory rules: only an absolute XDG_STATE_HOME counts.
std::string user_state_dir() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/vorna";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* pw = getpwuid(getuid());
    home = pw != nullptr ? pw->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') return "";
  return std::string(home) + "/.local/state/vorna";
}

// mkdtemp: a new name, made 0700, never a folder or link that was there. Under $TMPDIR when
// one can be made there, else under /tmp.
std::string make_private_temp_dir() {
  const char* tmpdir = std::getenv("TMPDIR");
  for (const char* base : {tmpdir, "/tmp"}) {
    if (base == nullptr || base[0] == '\0') continue;
    std::string name = (fs::path(base) / "vorna-XXXXXX").string();
    if (mkdtemp(&name[0]) != nullptr) return name;
  }
  return "";
}

namespace {

// Game controllers through SDL's game-controller API and its mapping database (with the
// mappings of SDL_GAMECONTROLLERCONFIG), started on the first read and polled on each; pads
// plugged in or pulled out arrive as SDL's events.
class Sdl_gamepads {
 public:
  Sdl_gamepads() = default;
  Sdl_gamepads(const Sdl_gamepads&) = delete;
  Sdl_gamepads& operator=(const Sdl_gamepads&) = delete;
  ~Sdl_gamepads() {
    for (const Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
    if (started_) stop_sdl_subsystem(SDL_INIT_GAMECONTROLLER);
  }

  const std::vector<Gamepad_state>& read() {
    states_.clear();
    if (!tried_) {
      tried_ = true;
      started_ = start_sdl_subsystem(SDL_INIT_GAMECONTROLLER);
    }
    if (!started_) return states_;
    SDL_PumpEvents();
    // Nothing else in the game reads SDL's queue: every event is taken, so it never fills up.
    SDL_Event events[16];
    for (int n; (n = SDL_PeepEvents(events, 16, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0;)
      for (int i = 0; i < n; ++i) take(events[i]);
    for (Pad& pad : pads_) states_.push_back(state_of(pad));
    return states_;
  }

 private:
  struct Pad {
    SDL_GameController* controller;
    SDL_JoystickID id;
    unsigned went_down;  // buttons pressed since the last read, 1 << SDL_GameControllerButton
  };

  Pad* find(SDL_JoystickID id) {
    for (Pad& pad : pads_)
      if (pad.id == id) return &pad;
    return nullptr;
  }

  void take(const SDL_Event& e) {
    if (e.type == SDL_CONTROLLERDEVICEADDED) {
      // Announced once at start-up and again on hot-plug: each pad is opened once.
      if (find(SDL_JoystickGetDeviceInstanceID(e.cdevice.which)) != nullptr) return;
      if (SDL_GameController* c = SDL_GameControllerOpen(e.cdevice.which))
        pads_.push_back({c, SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)), 0});
    } else if (e.type == SDL_CONTROLLERDEVICEREMOVED) {
      for (auto it = pads_.begin(); it != pads_.end(); ++it)
        if (it->id == e.cdevice.which) {
          SDL_GameControllerClose(it->controller);
          pads_.erase(it);
          break;
        }
    } else if (e.type == SDL_CONTROLLERBUTTONDOWN && e.cbutton.button < 32) {
      if (Pad* pad = find(e.cbutton.which)) pad->went_down |= 1u << e.cbutton.button;
    }
  }

  static Gamepad_state state_of(Pad& pad) {
    auto down = [&](SDL_GameControllerButton b) {
      return SDL_GameControllerGetButton(pad.controller, b) != 0 || (pad.went_down >> b & 1u) != 0;
    };
    auto axis = [&](SDL_GameControllerAxis a) {
      return std::max(-1.0f, SDL_GameControllerGetAxis(pad.controller, a) / 32767.0f);
    };
    Gamepad_state s{};
    s.id = static_cast<int>(pad.id);
    s.up = down(SDL_CONTROLLER_BUTTON_DPAD_UP);
    s.down = down(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    s.left = down(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    s.right = down(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    s.a = down(SDL_CONTROLLER_BUTTON_A);
    s.y = down(SDL_CONTROLLER_BUTTON_Y);
    s.start = down(SDL_CONTROLLER_BUTTON_START);
    s.back = down(SDL_CONTROLLER_BUTTON_BACK);
    s.stick_x = axis(SDL_CONTROLLER_AXIS_LEFTX);
    s.stick_y = axis(SDL_CONTROLLER_AXIS_LEFTY);
    pad.went_down = 0;
    return s;
  }

  bool tried_ = false;
  bool started_ = false;
  std::vector<Pad> pads_;
  std::vector<Gamepad_state> states_;
};

}  // namespace

const std::vector<Gamepad_state>& connected_gamepads() {
  static Sdl_gamepads pads;
  return pads.read();
}

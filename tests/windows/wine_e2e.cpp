// vorna.exe under wine in the test's X server, driven from the host with real X input: the
// wide title, the title screen's text, 's' to a stage (vorna.txt in CRLF, the 3D view), 'q',
// the game started from a folder without its data, the same from folders named in Latin-1 and
// Japanese letters (an effect heard), and the window's close message. Set by CTest:
// VORNA_EXE, VORNA_RUN_DIR, VORNA_WINE and the wine prefix variables.
#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool, Status) would clash with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/data_file_list.h"
#include "support/maze_walk.h"
#include "support/x11_process.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using e2e::pause_ms;
using e2e::quote;

// Generous: a wine start on a loaded 2-core machine takes seconds.
constexpr double kSeconds = 60.0;
const char* const kTitle = "ザルヴォス３Ｄ～ミルテカ～";

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Frame {
  int width = 0;
  int height = 0;
  std::vector<unsigned long> rgb;  // 0xRRGGBB, rows top first

  template <typename Pred>
  int count(Pred pred) const {
    int n = 0;
    for (unsigned long p : rgb) n += pred((p >> 16) & 255, (p >> 8) & 255, p & 255) ? 1 : 0;
    return n;
  }
  int white() const {
    return count([](int r, int g, int b) { return r > 240 && g > 240 && b > 240; });
  }
};

// The story text scrolls in over white: dark text pixels on a white page.
int text_pixels(const Frame& f) {
  return f.count([](int r, int g, int b) { return r < 80 && g < 80 && b < 80; });
}
bool title_page(const Frame& f) {
  return text_pixels(f) > 200 && f.white() > 500 * 500 * 8 / 10;
}

// Each "%LOCALAPPDATA%\Vorna" of the wine prefix (one per user there).
std::vector<fs::path> local_app_data_dirs() {
  std::vector<fs::path> dirs;
  std::error_code ec;
  for (const auto& user : fs::directory_iterator(env("WINEPREFIX") + "/drive_c/users", ec))
    dirs.push_back(user.path() / "AppData/Local/Vorna");
  return dirs;
}

// One run of vorna.exe in a fresh working directory, with the data files (`data`) or without,
// so the game has to find them beside vorna.exe.
class WineGame {
 public:
  // `launch` replaces the plain start of vorna.exe: wine's words, and wine's "NAME=value"
  // environment entries before them.
  struct Launch {
    std::vector<std::string> env, wine_args;
  };
  explicit WineGame(const std::string& name, bool data = true, const Launch& launch = {})
      : dir_(fs::current_path() / ("wine-" + name)) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (const char* file : data_files::kAll)
      if (data) fs::copy_file(fs::path(env("VORNA_RUN_DIR")) / file, dir_ / file);
    display_ = XOpenDisplay(nullptr);
    std::string args = " " + quote(env("VORNA_EXE")), env_entries;
    if (!launch.wine_args.empty()) args.clear();
    for (const std::string& word : launch.wine_args) args += " " + quote(word);
    for (const std::string& entry : launch.env) env_entries += " " + quote(entry);
    // wine's output goes to files: its background processes would hold a pipe open.
    const std::string command = "cd " + quote(dir_.string()) + " && exec env" + env_entries + " " +
                                quote(env("VORNA_WINE")) + args +
                                " </dev/null >stdout.txt 2>stderr.txt";
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    if (posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
      pid_ = -1;
  }
  ~WineGame() {
    if (!exited_ && pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (display_ != nullptr) XCloseDisplay(display_);
  }
  WineGame(const WineGame&) = delete;
  WineGame& operator=(const WineGame&) = delete;

  const fs::path& dir() const { return dir_; }

  // The game's mapped top-level window: wine names its class after the program.
  Window window() {
    const auto deadline = Clock::now() + std::chrono::seconds(static_cast<int>(kSeconds));
    while (window_ == 0 && display_ != nullptr && Clock::now() < deadline) {
      Window root = 0, parent = 0, *children = nullptr;
      unsigned int n = 0;
      if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n && window_ == 0; ++i) {
          XClassHint hint{};
          XWindowAttributes a{};
          if (XGetClassHint(display_, children[i], &hint) == 0) continue;
          if (std::string(hint.res_name) == "vorna.exe" &&
              XGetWindowAttributes(display_, children[i], &a) && a.map_state == IsViewable &&
              a.width > 1)
            window_ = children[i];
          XFree(hint.res_name);
          XFree(hint.res_class);
        }
        if (children != nullptr) XFree(children);
      }
      if (window_ == 0) pause_ms(100);
    }
    return window_;
  }

  std::string utf8_property(const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display_, window(), XInternAtom(display_, name, False), 0, 1024, False,
                           XInternAtom(display_, "UTF8_STRING", False), &type, &format, &count,
                           &rest, &data) == Success &&
        data != nullptr) {
      value.assign(reinterpret_cast<char*>(data), count);
      XFree(data);
    }
    return value;
  }

  Frame shot() {
    Frame frame;
    XWindowAttributes a{};
    if (window() == 0 || XGetWindowAttributes(display_, window_, &a) == 0) return frame;
    XImage* image = XGetImage(display_, window_, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (image == nullptr) return frame;
    frame.width = a.width;
    frame.height = a.height;
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) frame.rgb.push_back(XGetPixel(image, x, y) & 0xffffff);
    XDestroyImage(image);
    return frame;
  }

  // Polls screenshots until `done` holds for one; returns the last.
  template <typename Done>
  Frame shot_until(Done done) {
    Frame frame = shot();
    for (int i = 0; i < kSeconds * 5 && !done(frame); ++i, frame = shot()) pause_ms(200);
    return frame;
  }

  // The pointer goes in first: without a window manager focus follows it.
  void key(const char* keysym) {
    const std::string id = std::to_string(window());
    const std::string command = "xdotool mousemove --window " + id + " 250 250 sleep 0.2 key " +
                                keysym + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }

  void close_window() { e2e::close_window(window()); }

  // The exit status, -1 on time-out, -2 when killed by a signal.
  int wait_exit() {
    if (!exited_ && pid_ > 0) exited_ = e2e::reap_child(pid_, kSeconds, &status_);
    return exited_ ? status_ : -1;
  }

  std::string out() const { return slurp(dir_ / "stdout.txt"); }
  std::string err() const { return slurp(dir_ / "stderr.txt"); }

 private:
  fs::path dir_;
  Display* display_ = nullptr;
  pid_t pid_ = -1;
  Window window_ = 0;
  bool exited_ = false;
  int status_ = -1;
};

// wine's log of the DLLs a program loads, as its debug channel "loaddll" writes it.
const char kLogLoadedDlls[] = "WINEDEBUG=+loaddll";
bool loaded_xinput(const std::string& log) {
  return log.find("xinput1_4.dll") != std::string::npos ||
         log.find("xinput9_1_0.dll") != std::string::npos;
}

TEST(WineE2e, TitleTextThenStageFromCrlfFileThenQuitsOnQ) {
  WineGame game("play", true, {{kLogLoadedDlls}, {}});
  ASSERT_NE(game.window(), 0UL) << game.err();
  // The window shows before the game gives it its title: wait (bounded) for the title.
  for (int i = 0; i < 100 && game.utf8_property("_NET_WM_NAME") != kTitle; ++i) pause_ms(100);
  EXPECT_EQ(game.utf8_property("_NET_WM_NAME"), kTitle);

  Frame title = game.shot_until(title_page);
  ASSERT_EQ(title.width, 500);
  ASSERT_EQ(title.height, 500);
  EXPECT_GT(text_pixels(title), 200);
  EXPECT_GT(title.white(), 500 * 500 * 8 / 10);

  // 's': a 13 x 13 maze written in text mode (CRLF here), read back into a 3D view that
  // covers most of the window: walls, floor and the life bar.
  game.key("s");
  Frame stage = game.shot_until([](const Frame& f) { return f.white() < 500 * 500 / 2; });
  EXPECT_LT(stage.white(), 500 * 500 / 2);
  const std::string maze = slurp(game.dir() / "vorna.txt");
  std::istringstream rows(maze);
  int count = 0;
  for (std::string row; std::getline(rows, row); ++count) {
    EXPECT_EQ(row.size(), 14u) << row;  // 13 cells and the CR
    EXPECT_EQ(row.find_first_not_of("#_"), 13u) << row;
    EXPECT_EQ(row.back(), '\r');
  }
  EXPECT_EQ(count, 13) << maze;
  // The red life bar along the bottom edge: full at the start.
  const auto red = [](int r, int g, int b) { return r > 200 && g < 60 && b < 60; };
  Frame bottom;
  bottom.rgb.assign(stage.rgb.end() - 500 * 5, stage.rgb.end());
  EXPECT_GT(bottom.count(red), 500 * 5 * 9 / 10);

  game.key("q");
  EXPECT_EQ(game.wait_exit(), 0) << game.err();
  // The console line as UTF-8 bytes in a redirected file, with the text-mode line end.
  EXPECT_EQ(game.out(), "NOW LOADING\u2026\r\n");
  EXPECT_TRUE(loaded_xinput(game.err())) << "XInput was not loaded for the gamepads";
}

// A Windows without XInput (wine told to refuse both DLLs): the game starts and plays by the
// keyboard, and says nothing about it.
TEST(WineE2e, WithoutXInputItPlaysByKeyboard) {
  const std::string overrides = env("WINEDLLOVERRIDES");
  WineGame game("no-xinput", true,
                {{kLogLoadedDlls, "WINEDLLOVERRIDES=" + overrides + (overrides.empty() ? "" : ";") +
                                      "xinput1_4,xinput9_1_0=d"},
                 {}});
  ASSERT_NE(game.window(), 0UL) << game.err();
  EXPECT_TRUE(title_page(game.shot_until(title_page)));
  game.key("s");
  const Frame stage = game.shot_until([](const Frame& f) { return f.white() < 500 * 500 / 2; });
  EXPECT_LT(stage.white(), 500 * 500 / 2);
  // A step forward: the view changes far more than the spinning items change it.
  auto stepped = [&](const Frame& f) {
    int n = 0;
    for (std::size_t i = 0; i < f.rgb.size() && i < stage.rgb.size(); ++i)
      n += f.rgb[i] != stage.rgb[i];
    return n > 40000;
  };
  game.key("Up");
  EXPECT_TRUE(stepped(game.shot_until(stepped)));
  game.key("q");
  EXPECT_EQ(game.wait_exit(), 0) << game.err();
  EXPECT_EQ(game.out(), "NOW LOADING\u2026\r\n");
  EXPECT_FALSE(loaded_xinput(game.err()));
}

// From a shortcut's other "Start in" folder: the text from the font beside vorna.exe, and the
// maze file in %LOCALAPPDATA%\Vorna, as the README says.
TEST(WineE2e, StartedFromAnotherFolderItFindsItsDataBesideTheExe) {
  for (const fs::path& dir : local_app_data_dirs()) fs::remove_all(dir);
  WineGame game("elsewhere", false);
  ASSERT_NE(game.window(), 0UL) << game.err();
  EXPECT_TRUE(title_page(game.shot_until(title_page))) << "the font was not found";
  game.key("s");
  const auto written = [] {
    for (const fs::path& dir : local_app_data_dirs())
      if (fs::is_regular_file(dir / "vorna.txt")) return dir / "vorna.txt";
    return fs::path();
  };
  for (int i = 0; i < kSeconds * 10 && written().empty(); ++i) pause_ms(100);
  const std::string maze = slurp(written());
  EXPECT_EQ(std::count(maze.begin(), maze.end(), '\n'), 13) << game.out() << game.err();
  EXPECT_FALSE(fs::exists(game.dir() / "vorna.txt"));
  game.key("q");
  EXPECT_EQ(game.wait_exit(), 0) << game.err();
  EXPECT_EQ(game.out(), "NOW LOADING\u2026\r\n");
}

// The Windows name of a path on the host: wine's drive Z: is the root.
std::string windows_path(const fs::path& path) {
  std::string name = "Z:" + path.string();
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

// The arrow keys that walk `path` from its first cell, starting with `heading`.
std::vector<const char*> walk_keys(const std::vector<playtest::Cell>& path, int heading) {
  std::vector<const char*> keys;
  for (std::size_t i = 1; i < path.size(); ++i) {
    const int to = playtest::heading(path[i - 1], path[i]);
    if ((to - heading + 4) % 4 == 3) keys.push_back("Left");
    for (int turns = (to - heading + 4) % 4; turns > 0 && turns < 3; --turns)
      keys.push_back("Right");
    keys.push_back("Up");
    heading = to;
  }
  return keys;
}

// Installed in a folder named in Latin-1 and Japanese letters, started from another such
// folder, for a user whose %LOCALAPPDATA% is Japanese too: the title text from the font there,
// the maze written to %LOCALAPPDATA%\Vorna and read back into the 3D view, and the life ball's
// effect, heard through ALSA's file output (wine's own sound driver on for this run).
TEST(WineE2e, FoldersNamedInLatin1AndJapaneseLettersTextMazeAndEffect) {
  const fs::path install = fs::current_path() / "wine-Jürgen-ミルテカ";
  const fs::path local = fs::current_path() / "wine-ユーザー" / "AppData" / "Local";
  const fs::path capture = fs::current_path() / "wine-effects.raw";
  const fs::path alsa = fs::current_path() / "wine-asound.conf";
  fs::remove_all(install);
  fs::remove_all(local.parent_path().parent_path());
  fs::remove(capture);
  fs::create_directories(install);
  fs::create_directories(local);
  fs::copy_file(env("VORNA_EXE"), install / "vorna.exe");
  for (const char* file : data_files::kAll)
    fs::copy_file(fs::path(env("VORNA_RUN_DIR")) / file, install / file);
  std::ofstream(alsa) << "pcm.!default { type file; slave.pcm { type null }; file \""
                      << capture.string() << "\"; format raw }\n";

  // wine sets %LOCALAPPDATA% from its prefix: cmd sets it anew for the game.
  WineGame game(
      "Ölçü-日本", false,
      {{"LC_ALL=C.UTF-8", "ALSA_CONFIG_PATH=" + alsa.string(), "WINEDLLOVERRIDES=winepulse.drv=d"},
       {"cmd", "/c",
        "set LOCALAPPDATA=" + windows_path(local) + "&& " + windows_path(install / "vorna.exe")}});
  ASSERT_NE(game.window(), 0UL) << game.err();
  EXPECT_TRUE(title_page(game.shot_until(title_page))) << "no text: the font was not read";

  game.key("s");
  const fs::path maze_file = local / "Vorna" / "vorna.txt";
  for (int i = 0; i < kSeconds * 10 && !fs::is_regular_file(maze_file); ++i) pause_ms(100);
  ASSERT_TRUE(fs::is_regular_file(maze_file)) << game.out() << game.err();
  const Frame stage = game.shot_until([](const Frame& f) { return f.white() < 500 * 500 / 2; });
  EXPECT_LT(stage.white(), 500 * 500 / 2) << "the maze was not read back";

  // The life ball lies in a room of column 3 near the entrance: walk through both.
  playtest::Grid grid;
  std::istringstream rows(slurp(maze_file));
  for (std::string row; std::getline(rows, row);)
    grid.emplace_back(row.begin(), row.end() - (!row.empty() && row.back() == '\r' ? 1 : 0));
  ASSERT_EQ(grid.size(), 13u);
  std::vector<playtest::Cell> path = playtest::shortest_path(grid, {1, 0}, {1, 3});
  const std::vector<playtest::Cell> on = playtest::shortest_path(grid, {1, 3}, {3, 3});
  path.insert(path.end(), on.begin() + 1, on.end());
  const auto heard = [&] {
    const std::string bytes = slurp(capture);
    return std::count_if(bytes.begin(), bytes.end(), [](char b) { return b != 0; }) > 10000;
  };
  EXPECT_FALSE(heard()) << "sound before any effect: the music is not sampled here";
  // A step takes four 100 ms ticks: each key waits for the one before.
  for (const char* key : walk_keys(path, 1)) {
    if (heard()) break;
    game.key(key);
    pause_ms(700);
  }
  for (int i = 0; i < 50 && !heard(); ++i) pause_ms(100);
  EXPECT_TRUE(heard()) << "no effect reached the sound output";

  game.key("q");
  EXPECT_EQ(game.wait_exit(), 0) << game.err();
}

TEST(WineE2e, WindowCloseMessageEndsWithStatusZero) {
  WineGame game("close");
  ASSERT_NE(game.window(), 0UL) << game.err();
  game.close_window();
  EXPECT_EQ(game.wait_exit(), 0) << game.err();
}

}  // namespace

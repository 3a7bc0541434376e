// The real binary under the test's X server: start-up, window, title, first frame, endings.
#include <gtest/gtest.h>

#include <signal.h>

#include <csignal>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/game_process.h"

// Generous bounds for slow machines; nothing here measures speed.
constexpr double kStartSeconds = 30.0;

TEST(E2eShell, StartsWithLoadingLineTitledWhiteWindowThenQuitsOnQ) {
  // No font and no music: the game runs silent and text-free, so the frame is pure white.
  e2e::Game game(e2e::make_workdir("startup", false));
  ASSERT_TRUE(game.wait_for_output("NOW LOADING\u2026\n", kStartSeconds)) << game.err();
  const std::string id = std::to_string(game.window(kStartSeconds));
  ASSERT_NE(id, "0");
  EXPECT_NE(e2e::run("xwininfo -id " + id).find("  Width: 500\n  Height: 500\n"),
            std::string::npos);
  // The Japanese title in every name a desktop or tool may read; the window found by its class.
  const std::string title =
      e2e::run("LC_ALL=C.UTF-8 xprop -id " + id +
               " _NET_WM_NAME _NET_WM_ICON_NAME WM_NAME WM_ICON_NAME WM_CLASS");
  for (const char* name : {"_NET_WM_NAME", "_NET_WM_ICON_NAME", "WM_NAME", "WM_ICON_NAME"})
    EXPECT_NE(title.find(std::string(name) + "(UTF8_STRING) = \"ザルヴォス３Ｄ～ミルテカ～\"\n"),
              std::string::npos)
        << name << "\n"
        << title;
  EXPECT_NE(title.find("WM_CLASS(STRING) = \"vorna\", \"Vorna\""), std::string::npos) << title;
  EXPECT_EQ(e2e::run("xdotool search --pid " + std::to_string(game.pid())), id + "\n");

  // The first frames come with the clock: wait (bounded) for a white one.
  gltest::Frame frame = game.screenshot();
  auto white = [&] { return frame.count(0, 0, frame.width, frame.height, gltest::is_white); };
  for (int i = 0; i < 100 && white() < 500 * 500; ++i, frame = game.screenshot())
    e2e::run("sleep 0.1");
  EXPECT_EQ(white(), 500 * 500);

  game.key("q");
  EXPECT_EQ(game.wait_exit(kStartSeconds), 0) << game.err();
  EXPECT_EQ(game.out(), "NOW LOADING\u2026\n");  // nothing else on the console
}

TEST(E2eShell, WindowCloseEndsThroughExitWithDestructorsRun) {
  // gdb prints a marker when the text renderer's destructor runs, which only the static
  // application object's exit-time destruction does; and one if the main loop returned.
  // LeakSanitizer cannot work under ptrace: no leak check in a sanitized build here.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string no_leak_check =
      "ASAN_OPTIONS=" + (asan != nullptr ? std::string(asan) + ":" : "") + "detect_leaks=0";
  e2e::Game game(e2e::make_workdir("close"), {no_leak_check},
                 {"gdb", "-batch", "-nx", "-iex", "set debuginfod enabled off", "-ex",
                  "set startup-with-shell off", "-ex",
                  "dprintf kvo::glKanji::~glKanji,\"EXIT-DTOR glKanji\\n\"", "-ex",
                  "dprintf Vorna_Gamesystem::end,\"END-CALLED\\n\"", "-ex", "run", "--args"});
  ASSERT_TRUE(game.wait_for_output("NOW LOADING", 120.0)) << game.out() << game.err();
  ASSERT_NE(game.window(kStartSeconds), 0UL) << game.out() << game.err();
  EXPECT_EQ(game.out().find("EXIT-DTOR"), std::string::npos);

  game.close_window();
  EXPECT_EQ(game.wait_exit(120.0), 0) << game.out() << game.err();
  const std::string& out = game.out();
  EXPECT_NE(out.find("EXIT-DTOR glKanji"), std::string::npos) << out << game.err();
  EXPECT_EQ(out.find("END-CALLED"), std::string::npos) << out;
  EXPECT_NE(out.find("exited normally"), std::string::npos) << out << game.err();
}

// Asked to stop by the system (kill, Ctrl+C, a closed terminal), the game ends as q ends it:
// status 0, and the exit-time clean-up runs, which removes its private temporary folder and
// closes the sound output (open here, on SDL's disk output).
TEST(E2eShell, StopSignalsEndThroughExitRemovingThePrivateFolder) {
  namespace fs = std::filesystem;
  for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    std::signal(sig, SIG_DFL);  // an ignored signal would stay ignored in the game
    const std::string dir = e2e::make_workdir("signal-" + std::to_string(sig), false);
    const fs::path blocker = dir + "-blocker", tmp = dir + "-tmp";
    fs::remove_all(tmp);
    fs::create_directories(tmp);
    std::ofstream(blocker) << "a file where a folder should be";
    // No state folder and no working directory: the maze goes to a private folder.
    e2e::Game game(dir, {"XDG_STATE_HOME=" + blocker.string(), "TMPDIR=" + tmp.string(),
                         "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir + "-audio.raw"});
    ASSERT_NE(game.window(kStartSeconds), 0UL) << game.err();
    fs::remove_all(dir);
    game.key("s");
    const auto made = [&] {
      for (const auto& e : fs::directory_iterator(tmp))
        if (fs::is_regular_file(e.path() / "vorna.txt")) return true;
      return false;
    };
    for (int i = 0; i < 100 && !made(); ++i) e2e::run("sleep 0.1");
    ASSERT_TRUE(made()) << game.out() << game.err();

    kill(game.pid(), sig);
    EXPECT_EQ(game.wait_exit(kStartSeconds), 0) << game.err();
    EXPECT_TRUE(fs::is_empty(tmp)) << "the private folder is removed";
    EXPECT_EQ(game.err(), "");
  }
}

TEST(E2eShell, WithoutADisplayItSaysSoOnOneLineAndFails) {
  e2e::Game game(e2e::make_workdir("no-display"), {"DISPLAY", "WAYLAND_DISPLAY"});
  EXPECT_GT(game.wait_exit(kStartSeconds), 0);
  const std::string& err = game.err();
  EXPECT_NE(err.find("display"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;  // one line
  EXPECT_EQ(game.out(), "");
}

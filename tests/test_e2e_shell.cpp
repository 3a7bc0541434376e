// The real binary under the test's X server: start-up output, the window, its title, the
// first frame, and every way the process ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/game_process.h"

namespace {

// Generous bounds for slow machines; nothing here measures speed.
constexpr double kStartSeconds = 30.0;
constexpr double kExitSeconds = 30.0;

// xprop prints non-ASCII bytes as \ooo escapes in the C locale: turn them back into bytes.
std::string unescape_octal(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3') {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

int xwininfo_field(const std::string& info, const std::string& label) {
  const std::size_t at = info.find(label);
  if (at == std::string::npos) return -1;
  return std::stoi(info.substr(at + label.size()));
}

std::string bare_workdir(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::current_path() / ("e2e-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

}  // namespace

TEST(E2eShell, StartsWithLoadingLineTitledWindowAndWhiteFrameThenQuitsOnQ) {
  // No font and no music here: the game must run silent and text-free, so the frame is
  // exactly the white clear colour.
  e2e::Game game(bare_workdir("startup"));

  // The loading line is flushed by itself, before any input reaches the game.
  ASSERT_TRUE(game.wait_for_output("NOW LOADING\u2026\n", kStartSeconds)) << game.err();
  EXPECT_EQ(game.out(), "NOW LOADING\u2026\n");

  const unsigned long id = game.window(kStartSeconds);
  ASSERT_NE(id, 0UL);
  const std::string ids = std::to_string(id);

  const std::string info = e2e::run("xwininfo -id " + ids);
  EXPECT_EQ(xwininfo_field(info, "Absolute upper-left X:"), 1) << info;
  EXPECT_EQ(xwininfo_field(info, "Absolute upper-left Y:"), 1) << info;
  EXPECT_EQ(xwininfo_field(info, "Width:"), 500) << info;
  EXPECT_EQ(xwininfo_field(info, "Height:"), 500) << info;

  // Read in the C locale so the check does not depend on the machine's locale.
  const std::string title =
      unescape_octal(e2e::run("LC_ALL=C xprop -id " + ids + " _NET_WM_NAME WM_NAME"));
  EXPECT_NE(title.find("_NET_WM_NAME(UTF8_STRING) = \"ザルヴォス３Ｄ～ミルテカ～\"\n"),
            std::string::npos)
      << title;
  EXPECT_NE(title.find("WM_NAME(STRING) = \"Zarvos 3D ~Milteca~\""), std::string::npos) << title;

  // The first frames come with the clock; wait (bounded) until one is on screen.
  gltest::Frame frame;
  int white = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    frame = game.screenshot();
    white = frame.count(0, 0, frame.width, frame.height, gltest::is_white);
    if (frame.width > 0 && white == frame.width * frame.height) break;
    e2e::run("sleep 0.1");
  }
  ASSERT_EQ(frame.width, 500);
  ASSERT_EQ(frame.height, 500);
  EXPECT_EQ(white, 500 * 500);
  EXPECT_EQ(frame.at(0, 0), (gltest::Rgb{255, 255, 255}));
  EXPECT_EQ(frame.at(499, 499), (gltest::Rgb{255, 255, 255}));

  game.key("q");
  EXPECT_EQ(game.wait_exit(kExitSeconds), 0) << game.err();
  EXPECT_EQ(game.out(), "NOW LOADING\u2026\n");  // nothing else on the console
}

TEST(E2eShell, EscapeAndUpperCaseQEndWithStatusZero) {
  for (const std::string keysym : {"Escape", "Q"}) {
    SCOPED_TRACE(keysym);
    e2e::Game game(e2e::make_workdir("quit-" + keysym));
    ASSERT_TRUE(game.wait_for_output("NOW LOADING", kStartSeconds)) << game.err();
    ASSERT_NE(game.window(kStartSeconds), 0UL) << game.out() << game.err();
    game.key(keysym);
    EXPECT_EQ(game.wait_exit(kExitSeconds), 0) << game.err();
  }
}

TEST(E2eShell, OtherKeysAndClicksOnTheMenuKeepItRunning) {
  e2e::Game game(e2e::make_workdir("other-keys"));
  ASSERT_NE(game.window(kStartSeconds), 0UL) << game.out() << game.err();
  game.key("x");
  game.key("Up");
  game.click(100, 100);
  // Still alive: it answers the quit key afterwards, with status 0.
  EXPECT_EQ(game.wait_exit(1.0), -1);
  game.key("q");
  EXPECT_EQ(game.wait_exit(kExitSeconds), 0) << game.err();
}

TEST(E2eShell, WindowCloseEndsThroughExitWithDestructorsRun) {
  // The debugger prints a marker each time the text renderer's destructor runs; it can only
  // run at exit, from the static application object's destructor. A second marker would show
  // the main loop returning into the application's own shutdown step.
  const std::string workdir = e2e::make_workdir("close");
  e2e::Game game(workdir, {},
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
  // Through exit(), not by returning from the main loop: the shutdown step never runs.
  EXPECT_EQ(out.find("END-CALLED"), std::string::npos) << out;
  // exit(0) from the toolkit: the inferior reports a normal end, not a signal or a code.
  EXPECT_NE(out.find("exited normally"), std::string::npos) << out << game.err();
}

TEST(E2eShell, WithoutADisplayItSaysSoOnOneLineAndFails) {
  e2e::Game game(e2e::make_workdir("no-display"), {"DISPLAY", "WAYLAND_DISPLAY"});
  const int status = game.wait_exit(kExitSeconds);
  EXPECT_GT(status, 0);
  const std::string& err = game.err();
  EXPECT_NE(err.find("display"), std::string::npos) << err;
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  // It stops before start-up proper: no loading line, no toolkit noise.
  EXPECT_EQ(game.out(), "");
}

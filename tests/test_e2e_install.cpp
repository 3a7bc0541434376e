// The game installed like any Linux game: a staged `cmake --install` (DESTDIR), its files and
// desktop metadata, and the installed binary started from anywhere under the test's X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/data_file_list.h"
#include "support/game_process.h"

namespace fs = std::filesystem;

namespace {

constexpr double kStartSeconds = 30.0;
const std::string kId = VORNA_APP_ID;

// This build installed once under DESTDIR=<scratch>/stage with the prefix /usr.
const fs::path& stage() {
  static const fs::path dir = [] {
    const fs::path d = fs::current_path() / "stage";
    fs::remove_all(d);
    int status = -1;
    const std::string log = e2e::run("DESTDIR='" + d.string() +
                                         "' '" CMAKE_COMMAND_PATH "' --install '" VORNA_BUILD_DIR
                                         "' --prefix /usr 2>&1",
                                     &status);
    EXPECT_EQ(status, 0) << log;
    return d;
  }();
  return dir;
}

std::string installed_bin() {
  return (stage() / "usr/games/vorna").string();
}

std::string slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Width and height from a PNG's header chunk.
std::pair<int, int> png_size(const fs::path& file) {
  const std::string b = slurp(file);
  if (b.size() < 24 || b.compare(1, 3, "PNG") != 0) return {0, 0};
  auto be32 = [&](std::size_t at) {
    int v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v * 256 + static_cast<unsigned char>(b[at + i]);
    return v;
  };
  return {be32(16), be32(20)};
}

int text_pixels(const gltest::Frame& f) {
  return f.count(0, 0, f.width, f.height,
                 [](const gltest::Rgb& c) { return !gltest::is_white(c); });
}

// Waits (bounded) until the window shows text: the title's story crawl on a white page.
int wait_for_text(e2e::Game& game) {
  int n = 0;
  for (int i = 0; i < 150 && n < 200; ++i, e2e::run("sleep 0.1"))
    n = text_pixels(game.screenshot());
  return n;
}

bool wait_for_file(const fs::path& file) {
  for (int i = 0; i < 100; ++i, e2e::run("sleep 0.1"))
    if (fs::is_regular_file(file)) return true;
  return false;
}

}  // namespace

TEST(E2eInstall, StagedFilesDesktopMetadataAndTheOptionsADesktopExpects) {
  std::set<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(stage()))
    if (!e.is_directory()) files.insert(fs::relative(e.path(), stage()).string());
  std::set<std::string> expected = {
      "usr/games/vorna",
      "usr/share/applications/" + kId + ".desktop",
      "usr/share/metainfo/" + kId + ".metainfo.xml",
      "usr/share/icons/hicolor/48x48/apps/" + kId + ".png",
      "usr/share/icons/hicolor/128x128/apps/" + kId + ".png",
      "usr/share/icons/hicolor/scalable/apps/" + kId + ".svg",
      "usr/share/man/man6/vorna.6.gz",
  };
  for (const char* name : data_files::kAll)
    expected.insert(std::string("usr/share/games/vorna/") + name);
  EXPECT_EQ(files, expected);
  EXPECT_NE(fs::status(installed_bin()).permissions() & fs::perms::others_exec, fs::perms::none);
  const fs::path icons = stage() / "usr/share/icons/hicolor";
  EXPECT_EQ(png_size(icons / ("48x48/apps/" + kId + ".png")), std::make_pair(48, 48));
  EXPECT_EQ(png_size(icons / ("128x128/apps/" + kId + ".png")), std::make_pair(128, 128));

  // The validators desktops and software centres use.
  const fs::path share = stage() / "usr/share";
  int status = -1;
  std::string out = e2e::run(
      "desktop-file-validate '" + (share / "applications" / (kId + ".desktop")).string() + "' 2>&1",
      &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out, "");
  out = e2e::run("appstreamcli validate --no-net '" +
                     (share / "metainfo" / (kId + ".metainfo.xml")).string() + "' 2>&1",
                 &status);
  EXPECT_EQ(status, 0) << out;
  const std::string entry = slurp(share / "applications" / (kId + ".desktop"));
  for (const std::string& line : std::vector<std::string>{
           "Name=Vorna", "Name[ja]=ザルヴォス３Ｄ～ミルテカ～", "Exec=vorna", "Icon=" + kId,
           "Categories=Game;ArcadeGame;", "StartupWMClass=Vorna",
           "Keywords=maze;labyrinth;3D;first-person;gamepad;controller;"})
    EXPECT_NE(entry.find("\n" + line + "\n"), std::string::npos) << line;
  const std::string metainfo = slurp(share / "metainfo" / (kId + ".metainfo.xml"));
  for (const char* control : {"keyboard", "pointing", "gamepad"})
    EXPECT_NE(metainfo.find(std::string("<control>") + control + "</control>"), std::string::npos)
        << control;

  // --help and --version answer before any display is looked for; other words go to the
  // toolkit, which knows none of these.
  out = e2e::run("env -u DISPLAY '" + installed_bin() + "' --version 2>&1", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, "vorna " VORNA_VERSION "\n");
  out = e2e::run("env -u DISPLAY '" + installed_bin() + "' -display :0 --help 2>&1", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out.rfind("Usage: vorna", 0), 0u) << out;
  EXPECT_NE(out.find("--version"), std::string::npos) << out;
  out = e2e::run("env -u DISPLAY '" + installed_bin() + "' --versions 2>&1", &status);
  EXPECT_EQ(status, 1) << out;  // no display: a toolkit argument, not an option of ours
}

TEST(E2eInstall, StartedAwayFromItsDataItFindsItAndKeepsTheMazeInTheStateFolder) {
  const std::string dir = e2e::make_workdir("installed-elsewhere", false);
  const fs::path state_home = dir + "-state", capture = dir + ".raw";
  fs::remove_all(state_home);
  e2e::Game game(dir,
                 {"XDG_STATE_HOME=" + state_home.string(), "SDL_AUDIODRIVER=disk",
                  "SDL_DISKAUDIOFILE=" + capture.string()},
                 {}, installed_bin());
  ASSERT_NE(game.window(kStartSeconds), 0UL) << game.err();
  EXPECT_GE(wait_for_text(game), 200) << "the font was not found";
  EXPECT_FALSE(fs::exists(state_home)) << "nothing written before a stage starts";

  game.key("s");
  ASSERT_TRUE(wait_for_file(state_home / "vorna/vorna.txt")) << game.out() << game.err();
  EXPECT_FALSE(fs::exists(dir + "/vorna.txt"));
  const std::string maze = slurp(state_home / "vorna/vorna.txt");
  EXPECT_EQ(std::count(maze.begin(), maze.end(), '\n'), 13) << maze;

  // The music came from the installed folder too.
  const std::string sound = slurp(capture);
  EXPECT_GE(std::count_if(sound.begin(), sound.end(), [](char c) { return c != 0; }), 2000);
  game.key("q");
  EXPECT_EQ(game.wait_exit(kStartSeconds), 0) << game.err();
  EXPECT_EQ(game.out(), "NOW LOADING\u2026\n");
}

TEST(E2eInstall, StartedInAFolderWithTheDataItBehavesAsAlways) {
  const std::string dir = e2e::make_workdir("installed-with-data");
  const fs::path state_home = dir + "-state";
  fs::remove_all(state_home);
  e2e::Game game(dir, {"XDG_STATE_HOME=" + state_home.string()}, {}, installed_bin());
  ASSERT_NE(game.window(kStartSeconds), 0UL) << game.err();
  EXPECT_GE(wait_for_text(game), 200);
  game.key("s");
  EXPECT_TRUE(wait_for_file(dir + "/vorna.txt")) << game.out() << game.err();
  EXPECT_FALSE(fs::exists(state_home));
  game.key("q");
  EXPECT_EQ(game.wait_exit(kStartSeconds), 0) << game.err();
}

// A file where the state folder should be: the maze goes to the working directory, and with
// that removed under the game to a private folder under TMPDIR, gone at exit. With none of
// them (TMPDIR a file, /tmp read-only in a mount namespace of the game's own), the file
// messages, and the play goes on.
TEST(E2eInstall, AnUnmakeableStateFolderFallsBackToTheWorkingDirectoryThenATemporaryFolder) {
  struct Case {
    const char* where;  // "" when nowhere
    bool cwd_ok, tmp_ok;
  } const cases[] = {{"cwd", true, true}, {"tmp", false, true}, {"", false, false}};
  for (const Case& c : cases) {
    const std::string where = c.where;
    SCOPED_TRACE(where);
    const std::string dir = e2e::make_workdir("installed-no-state-" + where, false);
    const fs::path blocker = dir + "-blocker", tmp = dir + "-tmp";
    fs::remove_all(tmp);
    fs::create_directories(tmp);
    std::ofstream(blocker) << "a file where a folder should be";
    // /tmp read-only for the game alone, in a mount namespace of its own.
    const std::string read_only = "mount --bind -o ro /tmp /tmp && exec \"$@\"";
    const std::vector<std::string> read_only_tmp = {"unshare", "--map-root-user", "--mount", "sh",
                                                    "-c",      read_only,         "sh"};
    e2e::Game game(
        dir,
        {"XDG_STATE_HOME=" + blocker.string(), "TMPDIR=" + (c.tmp_ok ? tmp : blocker).string()},
        c.tmp_ok ? std::vector<std::string>{} : read_only_tmp, installed_bin());
    ASSERT_NE(game.window(kStartSeconds), 0UL) << game.err();
    if (!c.cwd_ok) fs::remove_all(dir);
    game.key("s");
    if (where.empty()) {
      EXPECT_TRUE(game.wait_for_output("ファイルの読み取りエラー\n", kStartSeconds)) << game.out();
      EXPECT_EQ(game.out(), "NOW LOADING\u2026\nファイル開けないファイルの読み取りエラー\n");
      game.key("Up");
    } else {
      // The one folder the game made under TMPDIR, else the working directory.
      const auto maze_file = [&] {
        for (const auto& e : fs::directory_iterator(tmp)) return e.path() / "vorna.txt";
        return fs::path(dir) / "vorna.txt";
      };
      for (int i = 0; i < 100 && !fs::is_regular_file(maze_file()); ++i) e2e::run("sleep 0.1");
      const fs::path file = maze_file();
      EXPECT_EQ(file.parent_path().parent_path() == tmp, where == "tmp") << file;
      const std::string maze = slurp(file);
      EXPECT_EQ(std::count(maze.begin(), maze.end(), '\n'), 13) << maze;
      if (where == "tmp") {
        EXPECT_EQ(file.parent_path().filename().string().rfind("vorna-", 0), 0u) << file;
        EXPECT_EQ(fs::status(file.parent_path()).permissions() & fs::perms::all,
                  fs::perms::owner_all);
      }
      EXPECT_EQ(game.out(), "NOW LOADING\u2026\n");
    }
    game.key("q");
    EXPECT_EQ(game.wait_exit(kStartSeconds), 0) << game.err();
    EXPECT_TRUE(fs::is_empty(tmp)) << "the private folder is removed at exit";
    EXPECT_EQ(fs::exists(dir + "/vorna.txt"), where == "cwd");
  }
}

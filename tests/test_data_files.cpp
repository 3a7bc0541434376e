// Where the game finds its data and where it keeps the maze file, in temporary folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "maze/vorna_field.h"
#include "platform/data_files.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

// A scratch folder of its own, entered for the test and left afterwards.
struct Scratch {
  explicit Scratch(const std::string& name)
      : dir(fs::current_path() / name), back(fs::current_path()) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Scratch() {
    fs::current_path(back);
    choose_maze_file_dir("");
  }
  fs::path dir, back;
};

void touch(const fs::path& file) {
  if (file.has_parent_path()) fs::create_directories(file.parent_path());
  std::ofstream(file) << "x";
}

// Sets or (with nullptr) removes an environment variable for the scope.
struct EnvVar {
  EnvVar(const char* name, const char* value) : name(name) {
    const char* old = std::getenv(name);
    had = old != nullptr;
    if (had) saved = old;
    value != nullptr ? setenv(name, value, 1) : unsetenv(name);
  }
  ~EnvVar() { had ? setenv(name, saved.c_str(), 1) : unsetenv(name); }
  const char* name;
  bool had = false;
  std::string saved;
};

}  // namespace

TEST(DataFiles, WorkingDirectoryFirstThenTheInstalledFolderBesideTheBinary) {
  Scratch s("lookup");
  const fs::path prefix = s.dir / "prefix";
  const std::string exe_dir = (prefix / "games").string();
  EXPECT_EQ(installed_data_dir(exe_dir), (prefix / "share/games/vorna").string());
  EXPECT_EQ(installed_data_dir("/usr/games"), "/usr/share/games/vorna");
  EXPECT_EQ(installed_data_dir(""), "");

  touch(prefix / "share/games/vorna/bgm.mid");
  touch(prefix / "share/games/vorna/shnm16.f1b");
  fs::create_directories(s.dir / "play");
  fs::current_path(s.dir / "play");
  EXPECT_EQ(find_data_file("bgm.mid", exe_dir), (prefix / "share/games/vorna/bgm.mid").string());
  // Nowhere: the plain name, so the open fails as it always has.
  EXPECT_EQ(find_data_file("die.wav", exe_dir), "die.wav");
  EXPECT_EQ(find_data_file("bgm.mid", ""), "bgm.mid");
  // A folder of that name is not the file.
  fs::create_directories("shnm16.f1b");
  EXPECT_EQ(find_data_file("shnm16.f1b", exe_dir),
            (prefix / "share/games/vorna/shnm16.f1b").string());
  // The working directory's copy wins, as a plain relative name.
  touch("bgm.mid");
  EXPECT_EQ(find_data_file("bgm.mid", exe_dir), "bgm.mid");

  // The running binary: this test program, in the build's tests folder.
  EXPECT_EQ(fs::path(executable_dir()), fs::path(VORNA_RUN_DIR).parent_path() / "tests");
  EXPECT_EQ(data_file("no-such-file.wav"), "no-such-file.wav");
}

TEST(DataFiles, ProgramFolderFromArgv0AsAShellFindsIt) {
  Scratch s("argv0");
  const fs::path bin = s.dir / "bin", other = s.dir / "other";
  touch(bin / "vorna");
  fs::permissions(bin / "vorna", fs::perms::owner_all);
  touch(other / "vorna");  // not executable: passed over
  fs::create_directories(s.dir / "links");
  fs::create_symlink(bin / "vorna", s.dir / "links/vorna");
  const std::string top = s.dir.string(), in_bin = bin.string();
  const std::string path = "/nonexistent:" + other.string() + ":" + in_bin;
  struct Case {
    std::string argv0, cwd;
    const char* path;
    std::string dir;
  } const cases[] = {
      {(bin / "vorna").string(), "/", nullptr, in_bin},
      {"bin/vorna", top, nullptr, in_bin},
      {"./vorna", in_bin, path.c_str(), in_bin},
      {"links/vorna", top, nullptr, in_bin},  // the link's target, as /proc/self/exe gives
      {"vorna", "/", path.c_str(), in_bin},
      {"vorna", in_bin, "/nonexistent:", in_bin},  // an empty entry is the working directory
      {"vorna", "/", other.c_str(), ""},
      {"vorna", in_bin, nullptr, ""},
      {"missing/vorna", top, path.c_str(), ""},
      {"", top, path.c_str(), ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(program_dir(c.argv0, c.cwd, c.path), c.dir)
        << c.argv0 << " in " << c.cwd << " on " << (c.path ? c.path : "no PATH");
}

TEST(DataFiles, StateFolderFromTheEnvironment) {
  {
    EnvVar xdg("XDG_STATE_HOME", "/somewhere/state");
    EXPECT_EQ(user_state_dir(), "/somewhere/state/vorna");
  }
  EnvVar home("HOME", "/home/someone");
  for (const char* ignored : {"relative/state", "", static_cast<const char*>(nullptr)}) {
    EnvVar xdg("XDG_STATE_HOME", ignored);
    EXPECT_EQ(user_state_dir(), "/home/someone/.local/state/vorna")
        << (ignored ? ignored : "unset");
  }
  // Without HOME, the account's home folder.
  EnvVar no_xdg("XDG_STATE_HOME", nullptr);
  EnvVar no_home("HOME", nullptr);
  const std::string dir = user_state_dir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_EQ(fs::path(dir).filename(), "vorna");
}

TEST(DataFiles, MazeFileStaysWithTheDataElseGoesToTheStateFolderMadeOnFirstWrite) {
  Scratch s("maze-file");
  const fs::path state = s.dir / "state/deeper/vorna";
  fs::current_path(s.dir);

  // Any one data file in the working directory keeps the maze file there.
  touch(s.dir / "die.wav");
  EXPECT_FALSE(has_game_data((s.dir / "state").string()));
  EXPECT_TRUE(has_game_data(s.dir.string()));
  EXPECT_EQ(choose_maze_file_dir(state.string()), "");
  EXPECT_EQ(maze_file(), "vorna.txt");
  Vorna_Field f;
  f.field_init(13, 13);
  EXPECT_TRUE(fs::is_regular_file(s.dir / "vorna.txt"));
  EXPECT_FALSE(fs::exists(s.dir / "state"));
  EXPECT_EQ(f.grid.size(), 13u);

  // None: the state folder, not made until the first maze is written, then private.
  fs::remove(s.dir / "die.wav");
  fs::remove(s.dir / "vorna.txt");
  EXPECT_EQ(choose_maze_file_dir(state.string()), state.string());
  EXPECT_EQ(maze_file(), (state / "vorna.txt").string());
  EXPECT_FALSE(fs::exists(s.dir / "state"));
  f.field_init(23, 23);
  EXPECT_FALSE(fs::exists(s.dir / "vorna.txt"));
  ASSERT_TRUE(fs::is_regular_file(state / "vorna.txt"));
  EXPECT_EQ(fs::status(state).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(f.grid.size(), 23u);
  f.field_init(13, 13);  // the folder is there now: rewritten in place
  EXPECT_EQ(f.grid.size(), 13u);

  // No state folder known: the working directory, as always.
  EXPECT_EQ(choose_maze_file_dir(""), "");
  EXPECT_EQ(maze_file(), "vorna.txt");
}

// The first folder of the choice cannot take the maze file: a file where the state folder
// should be, a working directory removed under the game. Then a private folder under TMPDIR,
// else under /tmp: TMPDIR unset, empty or not a folder, whatever TMP says.
TEST(DataFiles, MazeFileFallsBackToTheWorkingDirectoryThenAPrivateTemporaryFolder) {
  struct Case {
    const char* name;
    bool data, state_ok, cwd_ok;
    const char* tmpdir;  // in the scratch folder ("tmp" a folder, "blocker" a file), or nullptr
    const char* where;   // "cwd", "state", "TMPDIR" or "/tmp"
  } const cases[] = {
      {"no state folder", false, false, true, "tmp", "cwd"},
      {"no state folder, no working directory", false, false, false, "tmp", "TMPDIR"},
      {"with the data, no working directory", true, true, false, "tmp", "state"},
      {"TMPDIR unset", false, false, false, nullptr, "/tmp"},
      {"TMPDIR empty", false, false, false, "", "/tmp"},
      {"TMPDIR a file", false, false, false, "blocker", "/tmp"},
  };
  EnvVar tmp_var("TMP", "/nope");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch s("fallback");
    const fs::path play = s.dir / "play", state = s.dir / (c.state_ok ? "state" : "blocker/vorna");
    const fs::path tmp = s.dir / "tmp";
    touch(s.dir / "blocker");  // unmakeable below it, even for root
    fs::create_directories(tmp);
    fs::create_directories(play);
    if (c.data) touch(play / "die.wav");
    fs::current_path(play);
    const std::string tmpdir =
        c.tmpdir != nullptr && *c.tmpdir != 0 ? (s.dir / c.tmpdir).string() : "";
    EnvVar tmpdir_var("TMPDIR", c.tmpdir == nullptr ? nullptr : tmpdir.c_str());
    choose_maze_file_dir(state.string());
    if (!c.cwd_ok) fs::remove_all(play);

    Vorna_Field f;
    testing::internal::CaptureStdout();
    f.field_init(13, 13);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(f.grid.size(), 13u);
    const fs::path file = play / maze_file();  // a relative one is in `play`
    if (!fs::is_regular_file(file)) {
      ADD_FAILURE() << "no maze file: " << file;
      continue;
    }
    const fs::path dir = file.parent_path();
    const std::string where = c.where;
    if (where == "cwd" || where == "state") {
      EXPECT_EQ(dir, where == "cwd" ? play : state);
      continue;
    }
    EXPECT_EQ(dir.parent_path(), where == "TMPDIR" ? tmp : fs::path("/tmp"));
    EXPECT_EQ(dir.filename().string().rfind("vorna-", 0), 0u) << dir;
    EXPECT_EQ(fs::status(dir).permissions() & fs::perms::all, fs::perms::owner_all);
    choose_maze_file_dir("");  // a new choice drops the private folder
    EXPECT_FALSE(fs::exists(dir)) << dir;
  }
}

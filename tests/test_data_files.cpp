// Where the game finds its data and where it keeps the maze file, in temporary folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/data_files.h"
#include "app/platform.h"
#include "maze/vorna_field.h"

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
    set_maze_file_dir("");
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

TEST(DataFiles, UnmakeableStateFolderGivesTheFileMessagesAndAnEmptyField) {
  Scratch s("no-state");
  fs::current_path(s.dir);
  touch(s.dir / "blocker");  // a file where a folder should be: unmakeable even for root
  choose_maze_file_dir((s.dir / "blocker/vorna").string());
  Vorna_Field f;
  testing::internal::CaptureStdout();
  f.field_init(13, 13);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ファイル開けない"
            "ファイルの読み取りエラー\n");
  EXPECT_TRUE(f.grid.empty());
  EXPECT_EQ(f.item_list.size(), 2u);  // the stage still starts
  EXPECT_FALSE(fs::exists(s.dir / "vorna.txt"));
}

// "vorna.txt": writer and reader, their messages, and a file that cannot be written.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "maze/maze_file.h"
#include "maze/maze_gen.h"
#include "maze/vorna_field.h"

namespace {

using Grid = std::vector<std::vector<char>>;

void write_file(const std::string& bytes) {
  std::ofstream out("vorna.txt", std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string read_bytes(const char* name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

Grid rows(std::initializer_list<const char*> lines) {
  Grid g;
  for (const char* l : lines) g.emplace_back(l, l + std::string(l).size());
  return g;
}

// Reads with the given width and returns the grid and everything printed to standard output.
std::pair<Grid, std::string> read_with_output(int width) {
  Grid g;
  testing::internal::CaptureStdout();
  read_maze_file(g, width);
  return {g, testing::internal::GetCapturedStdout()};
}

const char* const kReadError = "ファイルの読み取りエラー\n";

}  // namespace

TEST(MazeFile, RoundTripOf13And99) {
  for (int size : {13, 99}) {
    std::remove("vorna.txt");
    testing::internal::CaptureStdout();
    create_vorna(size, size);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // Byte for byte: one "#" or "_" per cell of working rows/columns 2.., a "\n" per line.
    std::string expected;
    for (int y = 2; y < size + 2; ++y) {
      for (int x = 2; x < size + 2; ++x) expected += g_maze[y][x] != 0 ? '#' : '_';
      expected += '\n';
    }
    const std::string file = read_bytes("vorna.txt");
    ASSERT_EQ(file, expected);
    EXPECT_EQ(file.substr(size + 1, 1), "_");                     // entrance
    EXPECT_EQ(file.substr((size - 1) * (size + 1) - 2, 1), "_");  // exit

    auto [grid, out] = read_with_output(size);
    EXPECT_EQ(out, "");
    ASSERT_EQ(grid.size(), static_cast<std::size_t>(size));
    for (int r = 0; r < size; ++r)
      EXPECT_EQ(std::string(grid[r].begin(), grid[r].end()), expected.substr(r * (size + 1), size));
  }
}

TEST(MazeFile, WhitespaceAnywhereReadsBackTheSameGrid) {
  const Grid plain = rows({"#####", "____#", "#_#_#", "#___#", "#####"});
  write_file("#####\n____#\n#_#_#\n#___#\n#####\n");
  EXPECT_EQ(read_with_output(5).first, plain);
  write_file("#####\r\n____#\r\n#_#_#\r\n#___#\r\n#####\r\n");
  EXPECT_EQ(read_with_output(5).first, plain);
  write_file("\n\n  ## ###\t\t\n____\v#\n\n#_#\f_#\r#___##\n\n###\t \n");
  EXPECT_EQ(read_with_output(5).first, plain);
  write_file("#####____##_#_##___######");  // no line ends at all
  EXPECT_EQ(read_with_output(5).first, plain);
  // Rows come from the count only: width 3 cuts the same bytes differently.
  EXPECT_EQ(read_with_output(3).first.size(), 9u);
}

TEST(MazeFile, ShortLastRowIsCompletedWithTheLastCharacter) {
  write_file("abcdefghijkl");
  auto [g, out] = read_with_output(5);
  EXPECT_EQ(out, "");
  EXPECT_EQ(g, rows({"abcde", "fghij", "kllll"}));

  write_file("#####\n#_\n");  // truncated mid-row
  EXPECT_EQ(read_with_output(5).first, rows({"#####", "#____"}));

  // Foreign bytes are cells like any other, read unchanged (here the 3 bytes of a UTF-8 "é"
  // and a "*").
  write_file("\xC3\xA9*\n");
  EXPECT_EQ(read_with_output(2).first, (Grid{{'\xC3', '\xA9'}, {'*', '*'}}));

  // The reader appends to what the grid already holds.
  Grid g2 = rows({"xyz"});
  write_file("abc");
  read_maze_file(g2, 3);
  EXPECT_EQ(g2, rows({"xyz", "abc"}));

  // A row width of zero or less reads nothing instead of spinning forever.
  EXPECT_TRUE(read_with_output(0).first.empty());
  EXPECT_TRUE(read_with_output(-3).first.empty());
}

TEST(MazeFile, MissingEmptyOrBlankFileGivesTheReadErrorAndNoRows) {
  std::remove("vorna.txt");
  auto [g1, out1] = read_with_output(13);
  EXPECT_TRUE(g1.empty());
  EXPECT_EQ(out1, kReadError);

  write_file("");
  auto [g2, out2] = read_with_output(13);
  EXPECT_TRUE(g2.empty());
  EXPECT_EQ(out2, kReadError);

  write_file(" \r\n\t\n\n");
  auto [g3, out3] = read_with_output(13);
  EXPECT_TRUE(g3.empty());
  EXPECT_EQ(out3, kReadError);
}

TEST(MazeFile, UnwritableNameGivesTheOpenMessageAndGenerationCompletes) {
  // A directory in the file's place cannot be opened for writing, even by root.
  std::remove("vorna.txt");
  ASSERT_EQ(mkdir("vorna.txt", 0755), 0);
  testing::internal::CaptureStdout();
  create_vorna(13, 13);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "ファイル開けない");  // no line end
  EXPECT_EQ(CX, 17);
  EXPECT_EQ(g_maze[3][2], 0);
  EXPECT_EQ(g_maze[13][14], 0);

  auto [g, read_out] = read_with_output(13);
  EXPECT_TRUE(g.empty());
  EXPECT_EQ(read_out, kReadError);
  rmdir("vorna.txt");
}

// A read-only working directory that already holds a maze file: the new maze cannot be written,
// and the field reads the old one. Runs in a child process that is not root (root ignores
// permissions), reporting through a pipe.
TEST(MazeFile, ReadOnlyDirectoryKeepsTheOldFileAndTheFieldReadsIt) {
  const std::string old_maze =
      "#############\n____________#\n#####_#####_#\n#___#_____#_#\n###_#######_#\n"
      "#_#_________#\n#_#####_###_#\n#___#_#_#_#_#\n#_###_#_#_#_#\n#_#_______#_#\n"
      "#_#########_#\n#____________\n#############\n";
  mkdir("ro", 0755);
  {
    std::ofstream f("ro/vorna.txt", std::ios::binary | std::ios::trunc);
    f << old_maze;
  }
  ASSERT_EQ(chmod("ro/vorna.txt", 0444), 0);
  ASSERT_EQ(chmod("ro", 0555), 0);

  int pipe_fd[2];
  ASSERT_EQ(pipe(pipe_fd), 0);
  std::fflush(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipe_fd[0]);
    dup2(pipe_fd[1], 1);
    if (chdir("ro") != 0) _exit(2);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    {
      Vorna_Field field;
      field.field_init(13, 13);
      std::cout << "|";
      for (const auto& row : field.grid) std::cout << std::string(row.begin(), row.end()) << "\n";
      std::cout << "|" << field.item_list.size() << std::flush;
    }
    _exit(0);
  }
  close(pipe_fd[1]);
  std::string out;
  char buf[4096];
  ssize_t n;
  while ((n = read(pipe_fd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
  close(pipe_fd[0]);
  int status = 0;
  waitpid(child, &status, 0);
  chmod("ro", 0755);

  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(out, "ファイル開けない|" + old_maze + "|2");
  EXPECT_EQ(read_bytes("ro/vorna.txt"), old_maze);
}

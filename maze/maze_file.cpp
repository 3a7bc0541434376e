#include "maze/maze_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "maze/maze_gen.h"
#include "platform/data_files.h"
#include "platform/platform.h"

void disp_maze() {
  place_maze_file();
  std::ofstream out(std::filesystem::u8path(maze_file()));
  if (out.fail()) print_console("ファイル開けない", false);  // no line end, no flush

  // CX and CYY are public: never read past the storage, whatever they hold.
  const int cx = std::min(CX, MAZE_GRID);
  const int cy = std::min(CYY, MAZE_GRID);
  for (int y = 2; y <= cy - 3; ++y) {
    for (int x = 2; x <= cx - 3; ++x) out << (g_maze[y][x] != 0 ? '#' : '_');
    out << '\n';
  }
}

void read_maze_file(std::vector<std::vector<char>>& grid, int width) {
  std::ifstream in(std::filesystem::u8path(maze_file()));
  read_maze_rows(in, grid, width);
}

void read_maze_rows(std::istream& in, std::vector<std::vector<char>>& grid, int width) {
  std::istream_iterator<char> it(in);
  const std::istream_iterator<char> end;
  if (in.fail()) print_console("ファイルの読み取りエラー\n", true);

  // A row count of zero would never advance the input.
  if (width <= 0) return;

  // Rows are split by count only; a row cut short by the end of input is completed with the
  // last character read (the end iterator is never dereferenced or advanced).
  char last = 0;
  while (it != end) {
    std::vector<char> row;
    row.reserve(static_cast<std::size_t>(width));
    for (int i = 0; i < width; ++i) {
      if (it != end) {
        last = *it;
        ++it;
      }
      row.push_back(last);
    }
    grid.push_back(std::move(row));
  }
}

// The maze file reader, the field's set-up and the sight pass fed any bytes as "vorna.txt" and any
// requested sizes and eyes; now and then the whole set-up with generation, whose result must be a
// proper maze.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "maze/grid_sight.h"
#include "maze/maze_file.h"
#include "maze/maze_gen.h"
#include "maze/vorna_field.h"
#include "objects/field_object.h"

namespace {

int32_t take_int(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return static_cast<int32_t>(v);
}

void check_generated(const Vorna_Field& field, int width, int height) {
  const size_t w = static_cast<size_t>(maze_fit_size(width));
  const size_t h = static_cast<size_t>(maze_fit_size(height));
  if (field.grid.size() != h) std::abort();
  for (const auto& row : field.grid)
    if (row.size() != w) std::abort();
  if (field.grid[1][0] != '_' || field.grid[h - 2][w - 1] != '_') std::abort();
  if (field.item_list.size() != 2) std::abort();
}

// Moves, goal checks and the sight pass from anywhere in and around the field.
void probe(Vorna_Field& field, const uint8_t* data, size_t size) {
  Grid_sight sight;
  for (size_t i = 0; i + 1 < size && i < 64; i += 2) {
    const VECTORD at{(data[i] - 16) * 0.9, 1.0, (data[i + 1] - 16) * 0.9};
    sight.compute(field.grid, at.x, at.z);
    field.move_enable(at);
    field.is_goal(at);
    for (field_object* item : field.item_list) item->stumb(at);
  }
}

std::string g_home, g_scratch;

int run(const uint8_t* data, size_t size);

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // On tmpfs when there is one: a disk file rewritten in place is flushed at every close.
  std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  pattern += "/vorna-fuzz-maze-XXXXXX";
  char* dir = pattern.data();
  char* home = getcwd(nullptr, 0);
  if (mkdtemp(dir) == nullptr || home == nullptr) std::abort();
  g_home = home;
  g_scratch = dir;
  std::atexit([] {
    unlink((g_scratch + "/vorna.txt").c_str());
    rmdir(g_scratch.c_str());
  });
  std::free(home);
  return 0;
}

// The field reads and writes "vorna.txt" in the working directory: a scratch one, left again
// before libFuzzer writes its corpus and artifacts by relative paths.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (chdir(g_scratch.c_str()) != 0) std::abort();
  run(data, size);
  if (chdir(g_home.c_str()) != 0) std::abort();
  return 0;
}

namespace {

// Layout: [width: 4 bytes] [height: 4 bytes] [flags] [file bytes].
int run(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  const int width = take_int(data);
  const int height = take_int(data + 4);
  const uint8_t flags = data[8];
  const uint8_t* file = data + 9;
  const size_t file_size = size - 9;

  Vorna_Field field;
  if (flags & 1) {
    field.field_init(width, height);
    check_generated(field, width, height);
  }

  std::FILE* fp = std::fopen("vorna.txt", "wb");
  if (fp == nullptr) std::abort();
  std::fwrite(file, 1, file_size, fp);
  std::fclose(fp);
  field.field_load(width);
  const size_t w = static_cast<size_t>(maze_fit_size(width));
  for (const auto& row : field.grid)
    if (row.size() != w) std::abort();
  probe(field, file, file_size);

  // The reader straight from memory, with small widths of either sign.
  std::vector<std::vector<char>> grid;
  std::istringstream in(std::string(reinterpret_cast<const char*>(file), file_size));
  const int raw_width = static_cast<int8_t>(flags) / 2;
  read_maze_rows(in, grid, raw_width);
  for (const auto& row : grid)
    if (static_cast<int>(row.size()) != raw_width) std::abort();
  return 0;
}

}  // namespace

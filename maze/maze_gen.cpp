#include "maze/maze_gen.h"

#include <cstdlib>
#include <ctime>

#include "maze/maze_file.h"

int g_maze[MAZE_GRID][MAZE_GRID];
int CX;
int CYY;
_MARK g_mark[MAZE_MARKS];
int g_markpt;

namespace {

constexpr int kWalkSteps = 14;

// Anything outside the storage reads as wall, so a walk can never leave it.
int cell(int x, int y) {
  if (x < 0 || y < 0 || x >= MAZE_GRID || y >= MAZE_GRID) return 1;
  return g_maze[y][x];
}

// Direction order is cyclic: 0 x-2, 1 x+2, 2 y-2, 3 y+2.
constexpr int kDx[4] = {-1, 1, 0, 0};
constexpr int kDy[4] = {0, 0, -1, 1};

bool all_targets_walled(int x, int y) {
  for (int d = 0; d < 4; ++d)
    if (cell(x + 2 * kDx[d], y + 2 * kDy[d]) == 0) return false;
  return true;
}

}  // namespace

int maze_fit_size(int requested) {
  if (requested < 3) return 3;
  if (requested > MAZE_MAX_SIZE) return MAZE_MAX_SIZE;
  return requested % 2 == 0 ? requested - 1 : requested;
}

int create_vorna(int _CX, int _CY) {
  CX = maze_fit_size(_CX) + 4;
  CYY = maze_fit_size(_CY) + 4;
  srand(static_cast<unsigned>(time(0)));
  make_maze();
  disp_maze();
  return 0;
}

void make_maze() {
  // The globals may have been set by hand: keep the working block inside the storage.
  CX = maze_fit_size(CX - 4) + 4;
  CYY = maze_fit_size(CYY - 4) + 4;

  for (auto& row : g_maze)
    for (int& c : row) c = 0;

  for (int y : {0, 1, 2, CYY - 3, CYY - 2, CYY - 1})
    for (int x = 0; x < CX; ++x) g_maze[y][x] = 1;
  for (int y = 3; y <= CYY - 4; ++y)
    for (int x : {0, 1, 2, CX - 3, CX - 2, CX - 1}) g_maze[y][x] = 1;

  init_mark();
  for (int y = 4; y < CYY - 4; y += 2) {
    expand_wall(2, y);
    expand_wall(CX - 3, y);
  }
  for (int x = 4; x < CX - 4; x += 2) {
    expand_wall(x, 2);
    expand_wall(x, CYY - 3);
  }
  int x = 0;
  int y = 0;
  while (get_mark(&x, &y)) expand_wall(x, y);

  g_maze[3][2] = 0;
  g_maze[CYY - 4][CX - 3] = 0;
}

void expand_wall(int x, int y) {
  // Every link then lies between two points inside the storage.
  if (x < 0 || y < 0 || x >= MAZE_GRID || y >= MAZE_GRID) return;
  for (int budget = kWalkSteps; budget > 0; --budget) {
    if (all_targets_walled(x, y)) return;
    set_mark(x, y);
    const int first = rand() & 3;
    for (int i = 0; i < 4; ++i) {
      const int d = (first + i) & 3;
      const int tx = x + 2 * kDx[d];
      const int ty = y + 2 * kDy[d];
      if (cell(tx, ty) != 0) continue;
      g_maze[y + kDy[d]][x + kDx[d]] = 1;  // the link
      g_maze[ty][tx] = 1;
      x = tx;
      y = ty;
      break;
    }
  }
}

void init_mark() {
  g_markpt = 0;
}

void set_mark(int x, int y) {
  // Cannot fill up for any maze the grid holds; a stray call must still stay in bounds.
  if (g_markpt < 0) g_markpt = 0;
  if (g_markpt >= MAZE_MARKS) return;
  g_mark[g_markpt].x = x;
  g_mark[g_markpt].y = y;
  ++g_markpt;
}

int get_mark(int* x, int* y) {
  if (g_markpt <= 0) return 0;
  if (g_markpt > MAZE_MARKS) g_markpt = MAZE_MARKS;
  const int r = rand() % g_markpt;
  *x = g_mark[r].x;
  *y = g_mark[r].y;
  --g_markpt;
  g_mark[r] = g_mark[g_markpt];
  return 1;
}

#pragma once

#include <cstdint>

// Wall-extension maze generator on fixed global storage.
struct _MARK {
  std::int32_t x;  // column
  std::int32_t y;  // row
};

// The fixed storage: a grid of 104 x 104 cells, and room for a mark on each of its 52 x 52
// even-even points.
constexpr int MAZE_GRID = 104;
constexpr int MAZE_MARKS = (MAZE_GRID / 2) * (MAZE_GRID / 2);
// The largest maze the grid holds (99): odd, with a margin of two cells on every side.
constexpr int MAZE_MAX_SIZE = MAZE_GRID - 5;

extern int g_maze[MAZE_GRID][MAZE_GRID];  // [row][column]: 0 open, 1 wall
extern int CX;                            // working width = generated width + 4
extern int CYY;                           // working height = generated height + 4
extern _MARK g_mark[MAZE_MARKS];
extern int g_markpt;

// The size actually generated for a requested width or height: the nearest odd value in
// 3..MAZE_MAX_SIZE (below 3 gives 3, above the largest gives the largest, an even size rounds
// down). The grid holds no more, and the algorithm needs odd sizes; the field reads the file
// with the same size.
int maze_fit_size(int requested);

int create_vorna(int _CX, int _CY);
void make_maze();
void expand_wall(int x, int y);
void init_mark();
void set_mark(int x, int y);
int get_mark(int* x, int* y);

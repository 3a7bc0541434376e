#pragma once

#include <cstdint>

// Wall-extension maze generator on fixed global storage.
struct _MARK {
  std::int32_t x;  // column
  std::int32_t y;  // row
};

extern int g_maze[104][104];  // [row][column]: 0 open, 1 wall
extern int CX;                // working width = generated width + 4
extern int CYY;               // working height = generated height + 4
extern _MARK g_mark[2704];
extern int g_markpt;

// The size actually generated for a requested width or height: the nearest odd value in 3..99
// (below 3 gives 3, above 99 gives 99, an even size rounds down). The grid holds no more, and
// the algorithm needs odd sizes; the field reads the file with the same size.
int maze_fit_size(int requested);

int create_vorna(int _CX, int _CY);
void make_maze();
void expand_wall(int x, int y);
void init_mark();
void set_mark(int x, int y);
int get_mark(int* x, int* y);

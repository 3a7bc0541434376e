#pragma once

#include <vector>

// "vorna.txt": the channel from the generator to the field.
void disp_maze();

// Appends rows of exactly `width` cells read from "vorna.txt" to `grid`.
void read_maze_file(std::vector<std::vector<char>>& grid, int width);

#pragma once

#include <istream>
#include <vector>

// "vorna.txt", at maze_file(): the channel from the generator to the field.
void disp_maze();

// Appends rows of exactly `width` cells read from the maze file to `grid`.
void read_maze_file(std::vector<std::vector<char>>& grid, int width);

// The same from any stream: white space is skipped, everything else is a cell.
void read_maze_rows(std::istream& in, std::vector<std::vector<char>>& grid, int width);

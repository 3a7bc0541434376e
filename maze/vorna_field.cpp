#include "maze/vorna_field.h"

#include <cmath>
#include <cstdlib>
#include <deque>
#include <utility>

#include "maze/maze_file.h"
#include "maze/maze_gen.h"
#include "objects/field_object.h"
#include "objects/items.h"

namespace {

using Grid = std::vector<std::vector<char>>;

bool is_open(const Grid& grid, std::size_t r, std::size_t c) {
  return r < grid.size() && c < grid[r].size() && grid[r][c] == '_';
}

// Open cells reachable from the entrance (row 1, column 0), in breadth-first order.
std::vector<std::pair<std::size_t, std::size_t>> reachable_from_entrance(const Grid& grid) {
  std::vector<std::pair<std::size_t, std::size_t>> order;
  if (!is_open(grid, 1, 0)) return order;
  std::vector<std::vector<bool>> seen(grid.size());
  for (std::size_t r = 0; r < grid.size(); ++r) seen[r].assign(grid[r].size(), false);
  std::deque<std::pair<std::size_t, std::size_t>> queue{{1, 0}};
  seen[1][0] = true;
  while (!queue.empty()) {
    const auto [r, c] = queue.front();
    queue.pop_front();
    order.emplace_back(r, c);
    const std::pair<std::size_t, std::size_t> next[4] = {
        {r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};  // 0 - 1 wraps to a huge index
    for (const auto& [nr, nc] : next) {
      if (!is_open(grid, nr, nc) || seen[nr][nc]) continue;
      seen[nr][nc] = true;
      queue.emplace_back(nr, nc);
    }
  }
  return order;
}

}  // namespace

// The life ball: a room (odd row, odd column) of the top-left corner, rows and columns up to
// ceil(width / 5), that the player can reach, but never the room the first step enters. It
// prefers the corner's last room column, ceil(width / 5) made odd, at a random row. Without
// such a room: any other corner room, then the reachable room nearest the entrance, and with
// none at all, the origin.
VECTORD life_item_position(const std::vector<std::vector<char>>& grid) {
  using Cell = std::pair<std::size_t, std::size_t>;
  VECTORD p{0.0, 1.25, 0.0};
  const auto reachable = reachable_from_entrance(grid);
  if (reachable.empty()) return p;
  const std::size_t corner = (grid[0].size() + 4) / 5;
  const std::size_t column = corner % 2 == 1 ? corner : corner - 1;
  const Cell first_room{1, 1};

  std::vector<Cell> rooms, corner_rooms, in_column;
  for (const Cell& cell : reachable) {
    const auto [r, c] = cell;
    if (r % 2 == 0 || c % 2 == 0 || cell == first_room) continue;
    rooms.push_back(cell);
    if (r > corner || c > corner) continue;
    corner_rooms.push_back(cell);
    if (c == column) in_column.push_back(cell);
  }
  Cell pick;
  if (!in_column.empty()) {
    pick = in_column[static_cast<std::size_t>(rand()) % in_column.size()];
  } else if (!corner_rooms.empty()) {
    pick = corner_rooms[static_cast<std::size_t>(rand()) % corner_rooms.size()];
  } else if (!rooms.empty()) {
    pick = rooms.front();
  } else {
    return p;
  }
  p.x = CELL_SIZE * static_cast<double>(pick.second);
  p.z = CELL_SIZE * static_cast<double>(pick.first);
  return p;
}

namespace {

void delete_all(std::list<field_object*>& objects) {
  for (field_object* o : objects) delete o;
  objects.clear();
}

// Cell index for a coordinate already divided by the cell size: -1 unless 0 < v < limit.
// Compared in double first, so NaN and huge values never reach the integer conversion.
long cell_index(double v, std::size_t limit) {
  if (!(v > 0.0) || !(v < static_cast<double>(limit))) return -1;
  return static_cast<long>(std::trunc(v));
}

}  // namespace

Vorna_Field::Vorna_Field() : player_pos{0.0, 0.0, 0.0} {}

Vorna_Field::~Vorna_Field() {
  delete_all(item_list);
  delete_all(enemy_list);
}

int Vorna_Field::field_init(int width, int height) {
  create_vorna(width, height);
  return field_load(width);
}

int Vorna_Field::field_load(int width) {
  grid.clear();
  grid.shrink_to_fit();
  markings.clear();
  markings.shrink_to_fit();
  delete_all(enemy_list);
  delete_all(item_list);

  // The file holds the size actually generated, which differs from the request only for
  // sizes the generator cannot make.
  const int w = maze_fit_size(width);
  read_maze_file(grid, w);

  item_list.push_back(new Item_teapod(VECTORD{CELL_SIZE * (w - 2), 1.0, CELL_SIZE}));
  item_list.push_back(new Item_Life(life_item_position(grid)));
  return 0;
}

bool Vorna_Field::move_enable(VECTORD nextpt) {
  const VECTORD v = nextpt / CELL_SIZE;
  if (grid.empty()) return false;
  const long r = cell_index(v.z, grid.size());
  const long c = cell_index(v.x, grid[0].size());
  if (r < 0 || c < 0) return false;
  // A hand-made grid may have rows shorter than row 0.
  return is_open(grid, static_cast<std::size_t>(r), static_cast<std::size_t>(c));
}

bool Vorna_Field::is_goal(VECTORD pt) {
  if (grid.empty() || grid[0].empty()) return false;
  return pt.x > CELL_SIZE * static_cast<double>(grid[0].size()) - CELL_SIZE - 0.5;
}

VECTORD Vorna_Field::find_enemy(VECTORD nextpt) {
  // Truncation and absolute value in double: the same comparisons as on ints, without
  // converting NaN or huge differences.
  const double dx = std::fabs(std::trunc(nextpt.x - player_pos.x));
  const double dz = std::fabs(std::trunc(nextpt.z - player_pos.z));
  if (dx < 5.0 && dz > 5.0) return VECTORD{0.0, 0.0, 1.0};
  if (dz < 5.0 && dx > 5.0) return VECTORD{1.0, 0.0, 0.0};
  return VECTORD{0.0, 0.0, 0.0};
}

int Vorna_Field::buttai_draw() {
  return 0;
}

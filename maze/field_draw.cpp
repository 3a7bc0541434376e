#include <GL/freeglut.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <utility>
#include <vector>

#include "maze/grid_sight.h"
#include "maze/view_volume.h"
#include "maze/vorna_field.h"

namespace {

// Walls run from -1.25 to 3.75: an eye between those heights cannot see over them, and
// nothing of the field stands taller.
constexpr double kWallBottom = -1.25;
constexpr double kWallTop = 3.75;
constexpr double kEyeMargin = 0.1;

// What the current camera can see, for the frame being drawn.
struct Sight {
  View_volume volume;
  Grid_sight cells;
  bool box(double x0, double y0, double z0, double x1, double y1, double z1) const {
    return cells.area(x0, z0, x1, z1) && volume.may_see(x0, y0, z0, x1, y1, z1);
  }
};

// Reused from frame to frame, so drawing allocates nothing once the maze size is known.
Sight& sight_of_current_camera(const std::vector<std::vector<char>>& grid) {
  static Sight sight;
  double projection[16], modelview[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  sight.volume.set(projection, modelview);
  double x, y, z;
  if (sight.volume.eye(&x, &y, &z) && y > kWallBottom + kEyeMargin && y < kWallTop - kEyeMargin)
    sight.cells.compute(grid, x, z, sight.volume.near_box());
  else
    sight.cells.see_all();  // from above, or a parallel view: walls hide nothing for sure
  return sight;
}

// The floor's n x n tiles as quads, counter-clockwise seen from above, by parity: tile (i, j)
// covers x from 5j to 5(j+1) and z from 5i to 5(i+1), and is light when i + j is odd. Kept from
// frame to frame, made anew only when the maze size changes.
const std::array<std::vector<GLfloat>, 2>& floor_tiles(int n) {
  static std::array<std::vector<GLfloat>, 2> tiles;
  static int made_for = -1;
  if (made_for == n) return tiles;
  for (auto& t : tiles) t.clear();
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const auto x0 = static_cast<GLfloat>(CELL_SIZE * j),
                 x1 = static_cast<GLfloat>(CELL_SIZE * (j + 1));
      const auto z0 = static_cast<GLfloat>(CELL_SIZE * i),
                 z1 = static_cast<GLfloat>(CELL_SIZE * (i + 1));
      const GLfloat y = -0.5f;
      tiles[(i + j) % 2].insert(tiles[(i + j) % 2].end(),
                                {x0, y, z0, x0, y, z1, x1, y, z1, x1, y, z0});
    }
  made_for = n;
  return tiles;
}

void set_material(const GLfloat* rgba) {
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, rgba);
}

// A solid cube of the given edge centred at (x, y, z), the matrix restored afterwards.
void cube_at(double x, double y, double z, double edge) {
  glPushMatrix();
  glTranslated(x, y, z);
  glutSolidCube(edge);
  glPopMatrix();
}

// Whether the box may be in sight; with no sight (nothing skipped) everything is.
bool in_sight(const Sight* sight, double x0, double y0, double z0, double x1, double y1,
              double z1) {
  return !sight || sight->box(x0, y0, z0, x1, y1, z1);
}

// A cube of the given edge centred at (x, 1.25, z), the wall blocks' height, unless unseen.
void block_at(const Sight* sight, double x, double z, double edge) {
  if (in_sight(sight, x - edge / 2, 1.25 - edge / 2, z - edge / 2, x + edge / 2, 1.25 + edge / 2,
               z + edge / 2))
    cube_at(x, 1.25, z, edge);
}

// Checkered floor, offset half a cell from the wall blocks: every tile, every frame, in two
// draws (the light tiles, then the dark ones, whose material the walls keep). Mesa shades a
// tile a little differently depending on what shares its draw, so the floor is the same draw
// whether or not unseen walls are skipped, and the pictures are the same to the byte.
void draw_floor(int n) {
  static const GLfloat ground[2][4] = {{0.3f, 0.3f, 0.3f, 1.0f}, {0.6f, 0.6f, 0.6f, 1.0f}};
  const std::array<std::vector<GLfloat>, 2>& tiles = floor_tiles(n);
  glNormal3d(0.0, 1.0, 0.0);
  glEnableClientState(GL_VERTEX_ARRAY);  // GLUT's shapes of the last frame switched it off
  for (int parity : {1, 0}) {
    set_material(ground[parity]);
    glVertexPointer(3, GL_FLOAT, 0, tiles[parity].data());
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(tiles[parity].size() / 3));
  }
}

// The wall cubes of the grid; returns how many were drawn. The matrix walks the row cell by
// cell as the unskipped drawing does, so every cube drawn gets the very same float matrix; a
// row ends after its last cube drawn.
int draw_walls(const std::vector<std::vector<char>>& grid, const Sight* sight) {
  int drawn = 0;
  glPushMatrix();
  glTranslated(0.0, 1.25, 0.0);
  for (size_t r = 0; r < grid.size(); ++r) {
    const std::vector<char>& row = grid[r];
    const double z = CELL_SIZE * static_cast<double>(r);
    auto draws = [&](size_t c) {
      if (row[c] != '#') return false;
      if (!sight) return true;
      const double x = CELL_SIZE * static_cast<double>(c);
      return sight->cells.cell(static_cast<int>(r), static_cast<int>(c)) &&
             sight->volume.may_see(x - 2.5, kWallBottom, z - 2.5, x + 2.5, kWallTop, z + 2.5);
    };
    size_t end = 0;  // one past the last cube drawn
    if (!sight ||
        sight->volume.may_see(-2.5, kWallBottom, z - 2.5,
                              CELL_SIZE * static_cast<double>(row.size()) - 2.5, kWallTop, z + 2.5))
      for (size_t c = row.size(); c > 0; --c)
        if (draws(c - 1)) {
          end = c;
          break;
        }
    if (end > 0) {
      glPushMatrix();
      for (size_t c = 0; c < end; ++c) {
        if (draws(c)) {
          glutSolidCube(5.0);
          ++drawn;
        }
        glTranslated(5.0, 0.0, 0.0);
      }
      glPopMatrix();
    }
    glTranslated(0.0, 0.0, 5.0);
  }
  glPopMatrix();
  return drawn;
}

// The exit at (gx, gz): two blocks flanking the exit cell, leaving a narrower opening, the
// knob and the yellow door filling the cell.
void draw_door(double gx, double gz, const Sight* sight) {
  static const GLfloat marking_color[4] = {1.0f, 1.0f, 0.0f, 0.0f};
  block_at(sight, gx, gz - 5.0 / 1.2, 5.0);
  block_at(sight, gx, gz + 5.0 / 1.2, 5.0);

  // Door knob, just in front of the door's face.
  if (in_sight(sight, gx - 5.0 / 1.8 - 0.1, 0.9, gz - 1.1, gx - 5.0 / 1.8 + 0.1, 1.1, gz - 0.9)) {
    glPushMatrix();
    glTranslated(gx - 5.0 / 1.8, 1.0, gz - 1.0);
    glutSolidSphere(0.1, 10, 10);
    glPopMatrix();
  }

  // Drawn even out of sight: GLUT's shapes switch the vertex array off, and whatever draws
  // next must find that as an unskipped frame leaves it.
  set_material(marking_color);
  cube_at(gx, 1.25, gz, 5.0 / 1.1);
}

// The marks to draw, by index in list order: the first of each place. Every click keeps its
// mark, so one wall clicked at a thousand times holds a thousand identical marks, and a sphere
// drawn again where it stands changes no pixel (it fails the depth test against itself).
// Sorted by place (the coordinates' bits: a total order, whatever they hold), ties by index,
// in storage kept from frame to frame.
const std::vector<std::size_t>& distinct_marks(const std::vector<VECTORD>& marks) {
  static std::vector<std::size_t> order, first;
  const auto key = [&marks](std::size_t i) {
    std::array<std::uint64_t, 3> bits;
    const double xyz[3] = {marks[i].x, marks[i].y, marks[i].z};
    std::memcpy(bits.data(), xyz, sizeof xyz);
    return bits;
  };
  order.resize(marks.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&key](std::size_t a, std::size_t b) {
    return std::make_pair(key(a), a) < std::make_pair(key(b), b);
  });
  first.clear();
  for (std::size_t k = 0; k < order.size(); ++k)
    if (k == 0 || key(order[k]) != key(order[k - 1])) first.push_back(order[k]);
  std::sort(first.begin(), first.end());
  return first;
}

// One green sphere per place marked and in sight; returns how many were drawn. Green stays
// current even with none.
int draw_marks(const std::vector<VECTORD>& marks, const Sight* sight) {
  static const GLfloat marking_color[4] = {0.0f, 1.0f, 0.0f, 1.0f};
  int drawn = 0;
  set_material(marking_color);
  for (const std::size_t i : distinct_marks(marks)) {
    const VECTORD& p = marks[i];
    if (!in_sight(sight, p.x - 1.0, p.y - 1.0, p.z - 1.0, p.x + 1.0, p.y + 1.0, p.z + 1.0))
      continue;
    ++drawn;
    glPushMatrix();
    glTranslated(p.x, p.y, p.z);
    glutSolidSphere(1.0, 10, 10);
    glPopMatrix();
  }
  return drawn;
}

}  // namespace

int Vorna_Field::field_draw() {
  field_draw(true);
  return 0;
}

// Floor, walls, entrance block, exit door and the player's marks, all in world coordinates.
// When skipping, what lies outside the view volume or, at eye level, wholly behind walls is left
// out; fog hides nothing for sure (walls show against the sky), so it does not count.
Vorna_Field::Draw_count Vorna_Field::field_draw(bool skip_unseen) {
  Draw_count drawn;
  // An unreadable maze file leaves no rows: there is no field to draw, not even the door. The
  // mark material is still left current, as on every other return: the teapot shows in it.
  if (grid.empty() || grid[0].empty()) {
    draw_marks({}, nullptr);
    return drawn;
  }

  const int n = static_cast<int>(grid[0].size());
  const double gx = CELL_SIZE * (n - 1);
  const double gz = CELL_SIZE * (n - 2);
  const Sight* sight = skip_unseen ? &sight_of_current_camera(grid) : nullptr;

  draw_floor(n);
  drawn.walls = draw_walls(grid, sight);
  block_at(sight, -2.0, 5.0, 5.0);  // closes the entrance behind the starting player
  draw_door(gx, gz, sight);
  drawn.marks = draw_marks(markings, sight);
  return drawn;
}

int draw_marking(std::vector<VECTORD>& marking_vec) {
  draw_marks(marking_vec, nullptr);
  return 0;
}

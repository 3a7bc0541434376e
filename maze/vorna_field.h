#pragma once

#include <list>
#include <vector>

#include "gfx/vectord.h"

class field_object;

constexpr double CELL_SIZE = 5.0;

// One cell step per heading, the table the player and the enemies move by: 0 towards -z, 1 +x,
// 2 +z, 3 -x; adding 1 to a heading turns right.
inline constexpr VECTORD CELL_STEP[4] = {
    {0.0, 0.0, -CELL_SIZE}, {CELL_SIZE, 0.0, 0.0}, {0.0, 0.0, CELL_SIZE}, {-CELL_SIZE, 0.0, 0.0}};

// The playing field of one stage: the maze grid, the objects in it, the wall marks and the
// player's position. Owns the objects of both lists.
class Vorna_Field {
 public:
  Vorna_Field();
  ~Vorna_Field();
  Vorna_Field(const Vorna_Field&) = delete;
  Vorna_Field& operator=(const Vorna_Field&) = delete;

  int field_init(int width, int height);
  // The part of field_init after generation: builds the field from "vorna.txt" as it is.
  int field_load(int width);
  bool move_enable(VECTORD nextpt);
  bool is_goal(VECTORD pt);
  VECTORD find_enemy(VECTORD nextpt);
  int buttai_draw();
  // The game's drawing of the field: field_draw(true).
  int field_draw();

  // What a field_draw drew.
  struct Draw_count {
    int walls = 0;  // wall cubes of the grid
    int marks = 0;
  };
  // Draws the field, leaving out what the camera cannot see when `skip_unseen`; the picture is
  // the same either way.
  Draw_count field_draw(bool skip_unseen);

  std::vector<std::vector<char>> grid;
  std::vector<VECTORD> markings;
  std::list<field_object*> enemy_list;
  std::list<field_object*> item_list;
  VECTORD player_pos;
};

// One green sphere per place marked, each drawn once however often it is in the list (the
// picture is the same); green stays current even with none.
int draw_marking(std::vector<VECTORD>& marking_vec);

// Where a stage's life ball goes in a field read from the maze file (height 1.25).
VECTORD life_item_position(const std::vector<std::vector<char>>& grid);

#pragma once

#include "objects/field_object.h"

// Chases the player when in line with it, otherwise keeps to the right-hand wall.
class enemy : public field_object {
 public:
  enemy(VECTORD start, int start_heading);
  int move(Vorna_Field& field) override;
  int action(int* hp) override;
  int draw() override;

  int heading;
  int steps_left;
};

// Walks straight on while it can, turning right, then left, then back.
class enemy2 : public field_object {
 public:
  enemy2(VECTORD start, int start_heading);
  int move(Vorna_Field& field) override;
  int action(int* hp) override;
  int draw() override;

  int heading;
  int steps_left;
};

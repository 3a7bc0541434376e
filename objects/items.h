#pragma once

#include "objects/field_object.h"

// Spinning teapot: touching it clears the fog.
class Item_teapod : public field_object {
 public:
  explicit Item_teapod(VECTORD v);
  int move(Vorna_Field& field) override;
  int action(int* hp) override;
  int draw() override;
  bool stumb(VECTORD pt) override;

  double angle;
};

// Spinning red ball: touching it gives 5000 life points.
class Item_Life : public field_object {
 public:
  explicit Item_Life(VECTORD v);
  int move(Vorna_Field& field) override;
  int action(int* hp) override;
  int draw() override;
  bool stumb(VECTORD pt) override;

  double angle;
};

#pragma once

#include "gfx/vectord.h"

class Vorna_Field;

// Base of everything that stands in the maze besides walls.
class field_object {
 public:
  explicit field_object(VECTORD v);
  virtual int move(Vorna_Field& field);
  virtual int action(int* hp);
  virtual int draw();
  virtual bool stumb(VECTORD pt);
  // Owners delete through field_object pointers.
  virtual ~field_object();

  VECTORD pos;
};

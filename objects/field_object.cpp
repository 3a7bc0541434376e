#include "objects/field_object.h"

field_object::field_object(VECTORD v) : pos(v) {}

int field_object::move(Vorna_Field&) {
  return 0;
}
int field_object::action(int*) {
  return 0;
}
int field_object::draw() {
  return 0;
}
bool field_object::stumb(VECTORD) {
  return false;
}
field_object::~field_object() = default;

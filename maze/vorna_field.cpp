#include "maze/vorna_field.h"

// PLACEHOLDER: replaced by the field implementation.
Vorna_Field::Vorna_Field() : player_pos{0.0, 0.0, 0.0} {}
Vorna_Field::~Vorna_Field() {}

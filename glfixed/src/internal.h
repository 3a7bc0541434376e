#pragma once

namespace glfixed {

// The current matrix times m (column-major), in float as GL keeps its matrices.
void mult_matrix(const float m[16]);

}  // namespace glfixed

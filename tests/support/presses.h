#pragma once

#include <GL/freeglut.h>

#include <string>
#include <vector>

#include "input/gamepads.h"

namespace padtest {

// Presses written as ^ v < > for the arrows, c for the click, else the key itself.
inline std::string written(const std::vector<input::Press>& presses) {
  std::string s;
  for (const input::Press& p : presses) {
    if (p.kind == input::Press::click) s += 'c';
    if (p.kind == input::Press::key) s += static_cast<char>(p.code);
    if (p.kind == input::Press::special && p.code >= GLUT_KEY_LEFT && p.code <= GLUT_KEY_DOWN)
      s += "<^>v"[p.code - GLUT_KEY_LEFT];  // GLUT's order: left, up, right, down
  }
  return s;
}

}  // namespace padtest

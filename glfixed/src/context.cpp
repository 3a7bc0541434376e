// The layer and its GL context: whether it can draw, and its objects remade after a lost context.
// Everything else it keeps on the CPU, so the state the game set survives the loss.
#include "internal.h"

using namespace glfixed;

extern "C" {

int glfixed_ready(void) {
  return es::ready() ? 1 : 0;
}

int glfixed_restore(void) {
  State& s = st();
  // The batch waiting was part of a frame the lost context took with it.
  s.triangles.clear();
  s.bitmaps.clear();
  s.pending = Kind::none;
  if (!es::remake()) return 0;
  upload_atlas();
  return 1;
}

}  // extern "C"

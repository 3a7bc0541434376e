// What glfixed adds beyond OpenGL 1.1: counters for tests and benchmarks.
#ifndef GLFIXED_H
#define GLFIXED_H

#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

// Counted since the last reset: the fixed-function drawing calls received (glEnd, glBitmap,
// glDrawArrays, glDrawElements), the ES 2.0 draw calls sent and the vertices they carried.
typedef struct {
  unsigned long calls_in;
  unsigned long draws_out;
  unsigned long vertices_out;
} glfixed_stats;

void glfixed_get_stats(glfixed_stats* stats);
void glfixed_reset_stats(void);

#ifdef __cplusplus
}
#endif

#endif

// What glfixed adds beyond OpenGL 1.1: its readiness and restoring a lost context, and counters
// for tests and benchmarks.
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

// glfixed owns a few GL objects (shader programs, a vertex buffer, the glyph atlas texture),
// made in the context current at its first drawing call. It keeps everything else, all the
// OpenGL 1.1 state the program set (matrices, lights, material, fog, enables, colours, raster
// position, client arrays, the glyphs), on the CPU, where a lost context cannot take it.
//
// 1 when glfixed can draw in the context current now (making its objects if it has not tried
// yet); 0 when it cannot: no context current, a lost one, or a shader that does not compile or
// link there. While it cannot, every call still keeps its state but draws, clears and reads
// nothing (glReadPixels leaves zeros), until glfixed_restore returns 1. Never aborts.
int glfixed_ready(void);

// After the context was lost and made again (WebGL's webglcontextrestored), with that context
// current: forgets the old objects (the lost context took them) and makes them all again,
// the atlas with every glyph it held; the batch waiting to be drawn is dropped. Drawing then
// goes on exactly as before. Returns what glfixed_ready would; it may be called again.
int glfixed_restore(void);

#ifdef __cplusplus
}
#endif

#endif

/* What freeglut's shape sources (fg_geometry.c, fg_teapot.c) need from freeglut's internals,
 * for drawing over glfixed: no window is current, so they take the OpenGL 1.1 client-array
 * path and never the OpenGL 2.0 one. */
#ifndef FG_INTERNAL_H
#define FG_INTERNAL_H

#include <GL/freeglut.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
  struct {
    GLint attribute_v_coord, attribute_v_normal, attribute_v_texture;
  } Window;
  struct {
    GLboolean VisualizeNormals;
  } State;
} SFG_Window;

typedef struct {
  SFG_Window* CurrentWindow;
} SFG_Structure;

typedef struct {
  GLboolean HasOpenGL20;
} SFG_State;

extern SFG_Structure fgStructure;
extern SFG_State fgState;

void fgError(const char* fmt, ...);
void fgWarning(const char* fmt, ...);

/* The shapes need no glutInit here: the host has made a GL context current. */
#define FREEGLUT_EXIT_IF_NOT_INITIALISED(name)

#endif

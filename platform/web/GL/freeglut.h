// The web's GLUT: emscripten's own, for the window, events, timers and the shapes' names; the
// shapes themselves are freeglut's code drawn over WebGL by glfixed (glfixed_glut).
#ifndef VORNA_WEB_FREEGLUT_H
#define VORNA_WEB_FREEGLUT_H

#include <GL/freeglut_std.h>

#endif

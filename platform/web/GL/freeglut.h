// The web's GLUT: emscripten's own for the window, events and timers, and glfixed's freeglut
// shapes drawn over WebGL (its GL/freeglut.h, the next one on the include path).
#ifndef VORNA_WEB_FREEGLUT_H
#define VORNA_WEB_FREEGLUT_H

#include <GL/freeglut_std.h>
#include_next <GL/freeglut.h>

#endif

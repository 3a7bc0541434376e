// The two GLU calls the game makes, with GLU's own arithmetic.
#ifndef __glu_h__
#define __glu_h__

#include <GL/gl.h>

#define gluPerspective glfixed_gluPerspective
#define gluOrtho2D glfixed_gluOrtho2D

#ifdef __cplusplus
extern "C" {
#endif

GLAPI void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear,
                                     GLdouble zFar);
GLAPI void GLAPIENTRY gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);

#ifdef __cplusplus
}
#endif

#endif

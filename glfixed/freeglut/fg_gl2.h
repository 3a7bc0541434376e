/* The OpenGL 2.0 path of freeglut's shapes is compiled but never taken (see fg_internal.h):
 * its buffer calls are stubs that report the mistake. */
#ifndef FG_GL2_H
#define FG_GL2_H

#include "fg_internal.h"

#define FGH_ARRAY_BUFFER 0x8892
#define FGH_STATIC_DRAW 0x88E4
#define FGH_ELEMENT_ARRAY_BUFFER 0x8893

void fghGenBuffers(GLsizei n, GLuint* buffers);
void fghDeleteBuffers(GLsizei n, const GLuint* buffers);
void fghBindBuffer(GLenum target, GLuint buffer);
void fghBufferData(GLenum target, int size, const GLvoid* data, GLenum usage);
void fghEnableVertexAttribArray(GLuint index);
void fghDisableVertexAttribArray(GLuint index);
void fghVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized,
                            GLsizei stride, const GLvoid* pointer);

#endif

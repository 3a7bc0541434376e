/* freeglut's internals as its shape code sees them over glfixed. */
#include <stdarg.h>

#include "fg_gl2.h"

SFG_Structure fgStructure = {NULL};
SFG_State fgState = {GL_FALSE};

static void report(const char* kind, const char* fmt, va_list args) {
  fprintf(stderr, "freeglut shapes %s: ", kind);
  vfprintf(stderr, fmt, args);
  fputc('\n', stderr);
}

void fgError(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  report("error", fmt, args);
  va_end(args);
  exit(1);
}

void fgWarning(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  report("warning", fmt, args);
  va_end(args);
}

static void no_gl20(void) {
  fgError("the OpenGL 2.0 path is not built over glfixed");
}

void fghGenBuffers(GLsizei n, GLuint* buffers) {
  (void)n;
  (void)buffers;
  no_gl20();
}
void fghDeleteBuffers(GLsizei n, const GLuint* buffers) {
  (void)n;
  (void)buffers;
  no_gl20();
}
void fghBindBuffer(GLenum target, GLuint buffer) {
  (void)target;
  (void)buffer;
  no_gl20();
}
void fghBufferData(GLenum target, int size, const GLvoid* data, GLenum usage) {
  (void)target;
  (void)size;
  (void)data;
  (void)usage;
  no_gl20();
}
void fghEnableVertexAttribArray(GLuint index) {
  (void)index;
  no_gl20();
}
void fghDisableVertexAttribArray(GLuint index) {
  (void)index;
  no_gl20();
}
void fghVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized,
                            GLsizei stride, const GLvoid* pointer) {
  (void)index;
  (void)size;
  (void)type;
  (void)normalized;
  (void)stride;
  (void)pointer;
  no_gl20();
}

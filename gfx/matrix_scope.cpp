#include "gfx/matrix_scope.h"

MatrixSaver::MatrixSaver(int matrix_type) {
  // Unknown query names store nothing in GL; start from the identity so the restore is defined.
  for (int i = 0; i < 16; ++i) matrix[i] = (i % 5 == 0) ? 1.0f : 0.0f;
  glGetFloatv(static_cast<GLenum>(matrix_type), matrix);
  switch (matrix_type) {
    case GL_PROJECTION_MATRIX:
      mode = GL_PROJECTION;
      break;
    case GL_TEXTURE_MATRIX:
      mode = GL_TEXTURE;
      break;
    case GL_MODELVIEW_MATRIX:
    default:
      mode = GL_MODELVIEW;
      break;
  }
}

MatrixSaver::~MatrixSaver() {
  GLint current = GL_MODELVIEW;
  glGetIntegerv(GL_MATRIX_MODE, &current);
  glMatrixMode(mode);
  glLoadMatrixf(matrix);
  glMatrixMode(static_cast<GLenum>(current));
}

ScreenMatrix::ScreenMatrix() {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, viewport[2], viewport[3], 0.0, -1.0, 50000.0);
  glGetFloatv(GL_PROJECTION_MATRIX, matrix);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

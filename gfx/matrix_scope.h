#pragma once

#include <GL/gl.h>

// Copies one GL matrix on construction and loads it back on destruction, leaving the
// matrix mode as it found it at destruction time. No push or pop: stack depth is untouched.
class MatrixSaver {
 public:
  explicit MatrixSaver(int matrix_type);
  ~MatrixSaver();
  MatrixSaver(const MatrixSaver&) = delete;
  MatrixSaver& operator=(const MatrixSaver&) = delete;

  GLenum mode;
  GLfloat matrix[16];
};

// Pixel-space projection over the current viewport: origin top-left, y down, one unit per
// pixel; model-view identity. Restores nothing by itself: pair it with two MatrixSavers.
class ScreenMatrix {
 public:
  ScreenMatrix();

  GLfloat matrix[16];
};

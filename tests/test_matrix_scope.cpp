// Matrix scopes in a real GL context: matrices and modes read back from GL, pixels drawn.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <utility>

#include "gfx/matrix_scope.h"
#include "support/gl_window.h"

namespace {

using Matrix = std::array<GLfloat, 16>;

Matrix get(GLenum query) {
  Matrix m;
  glGetFloatv(query, m.data());
  return m;
}

GLint matrix_mode() {
  GLint v = 0;
  glGetIntegerv(GL_MATRIX_MODE, &v);
  return v;
}

// Distinctive matrices so a wrong restore cannot pass by accident.
const Matrix kModelview = {0.5f, 0.1f, 0, 0, -0.2f, 0.75f, 0, 0, 0, 0, 1.25f, 0, 3, -4, -7, 1};
const Matrix kProjection = {1.5f, 0, 0, 0, 0, 2.5f, 0, 0, 0.1f, 0.2f, -1.01f, -1, 0, 0, -0.2f, 0};

// The text renderer's pattern: modelview saver, projection saver, pixel projection.
void scoped_draw(bool fail) {
  MatrixSaver modelview(GL_MODELVIEW_MATRIX);
  MatrixSaver projection(GL_PROJECTION_MATRIX);
  ScreenMatrix screen;
  glTranslatef(10.0f, 20.0f, 0.0f);
  glMatrixMode(GL_PROJECTION);
  glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  if (fail) throw std::runtime_error("drawing failed");
}

}  // namespace

TEST(MatrixScope, SaversRestoreBothMatricesAndTheModeAlsoOnException) {
  gltest::open_window(800, 600);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(kModelview.data());
  for (bool fail : {false, true}) {
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(kProjection.data());
    if (fail)
      EXPECT_THROW(scoped_draw(true), std::runtime_error);
    else
      scoped_draw(false);
    EXPECT_EQ(get(GL_MODELVIEW_MATRIX), kModelview);
    EXPECT_EQ(get(GL_PROJECTION_MATRIX), kProjection);
    EXPECT_EQ(matrix_mode(), GL_MODELVIEW);
  }
  // Into the texture stack, and the mode current at destruction stays current.
  const Matrix texture = get(GL_TEXTURE_MATRIX);
  {
    MatrixSaver saver(GL_TEXTURE_MATRIX);
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(kModelview.data());
    glMatrixMode(GL_PROJECTION);
  }
  EXPECT_EQ(get(GL_TEXTURE_MATRIX), texture);
  EXPECT_EQ(get(GL_PROJECTION_MATRIX), kProjection);
  EXPECT_EQ(matrix_mode(), GL_PROJECTION);
}

TEST(MatrixScope, PixelProjectionPutsTheOriginTopLeft) {
  gltest::open_window(800, 600);
  MatrixSaver modelview(GL_MODELVIEW_MATRIX);
  MatrixSaver projection(GL_PROJECTION_MATRIX);
  ScreenMatrix screen;
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(0, 0, 0);
  const std::pair<int, int> points[] = {{0, 0}, {799, 599}, {100, 20}};
  glBegin(GL_POINTS);
  for (const auto& [x, y] : points) glVertex2f(x + 0.5f, y + 0.5f);  // pixel centres
  glEnd();
  const gltest::Frame frame = gltest::read_back_buffer();
  ASSERT_EQ(frame.width, 800);
  for (const auto& [x, y] : points) EXPECT_TRUE(gltest::is_dark(frame.at(x, y))) << x << "," << y;
  EXPECT_EQ(frame.count(0, 0, 800, 600, gltest::is_dark), 3);
}

// Matrix scopes in a real GL context (Mesa under Xvfb): matrices and modes read back from GL.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <stdexcept>

#include "gfx/matrix_scope.h"
#include "support/gl_window.h"

namespace {

using Matrix = std::array<GLfloat, 16>;

Matrix get_matrix(GLenum query) {
  Matrix m;
  glGetFloatv(query, m.data());
  return m;
}

GLint get_int(GLenum query) {
  GLint v = 0;
  glGetIntegerv(query, &v);
  return v;
}

// Column-major matrix times (x, y, 0, 1), then the perspective divide: x and y in NDC.
std::array<double, 2> to_ndc(const Matrix& m, double x, double y) {
  const double cx = m[0] * x + m[4] * y + m[12];
  const double cy = m[1] * x + m[5] * y + m[13];
  const double cw = m[3] * x + m[7] * y + m[15];
  return {cx / cw, cy / cw};
}

Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row)
      for (int k = 0; k < 4; ++k) r[col * 4 + row] += a[k * 4 + row] * b[col * 4 + k];
  return r;
}

// Distinctive, non-trivial matrices so a wrong restore cannot pass by accident.
const Matrix kModelview = {0.5f, 0.1f, 0, 0, -0.2f, 0.75f, 0, 0, 0, 0, 1.25f, 0, 3, -4, -7, 1};
const Matrix kProjection = {1.5f, 0, 0, 0, 0, 2.5f, 0, 0, 0.1f, 0.2f, -1.01f, -1, 0, 0, -0.2f, 0};
const Matrix kTexture = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 0.25f, 0.5f, 0, 1};

class MatrixScope : public ::testing::Test {
 protected:
  void SetUp() override {
    gltest::open_window(800, 600);
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(kTexture.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(kModelview.data());
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(kProjection.data());
  }
  void TearDown() override {
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
};

// The text renderer's pattern: modelview saver, projection saver, pixel projection.
void scoped_draw(bool fail) {
  MatrixSaver modelview(GL_MODELVIEW_MATRIX);
  MatrixSaver projection(GL_PROJECTION_MATRIX);
  ScreenMatrix screen;
  glTranslatef(10.0f, 20.0f, 0.0f);  // what a drawing routine does to the modelview
  glMatrixMode(GL_PROJECTION);
  glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  if (fail) throw std::runtime_error("drawing failed");
}

}  // namespace

TEST_F(MatrixScope, BothMatricesComeBackAndModelviewIsCurrentOnAnyExit) {
  const GLint modelview_depth = get_int(GL_MODELVIEW_STACK_DEPTH);
  const GLint projection_depth = get_int(GL_PROJECTION_STACK_DEPTH);

  for (bool fail : {false, true}) {
    SCOPED_TRACE(fail ? "exception" : "normal end");
    glMatrixMode(GL_PROJECTION);  // a mode other than the one the scope leaves
    if (fail)
      EXPECT_THROW(scoped_draw(true), std::runtime_error);
    else
      scoped_draw(false);
    EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX), kModelview);
    EXPECT_EQ(get_matrix(GL_PROJECTION_MATRIX), kProjection);
    EXPECT_EQ(get_matrix(GL_TEXTURE_MATRIX), kTexture);
    EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_MODELVIEW);
    // Restored in place: no push or pop.
    EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), modelview_depth);
    EXPECT_EQ(get_int(GL_PROJECTION_STACK_DEPTH), projection_depth);
  }
}

TEST_F(MatrixScope, TextureSaverRestoresTheTextureStackAndKeepsTheCurrentMode) {
  {
    MatrixSaver texture(GL_TEXTURE_MATRIX);
    EXPECT_EQ(texture.mode, static_cast<GLenum>(GL_TEXTURE));
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
  }
  EXPECT_EQ(get_matrix(GL_TEXTURE_MATRIX), kTexture);
  EXPECT_EQ(get_matrix(GL_PROJECTION_MATRIX), kProjection);  // not restored into projection
  EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX), kModelview);
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_PROJECTION);

  // Constructing changes no GL state; a name that is no matrix query falls back to modelview.
  glMatrixMode(GL_TEXTURE);
  {
    MatrixSaver projection(GL_PROJECTION_MATRIX);
    EXPECT_EQ(projection.mode, static_cast<GLenum>(GL_PROJECTION));
    EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_TEXTURE);
    MatrixSaver other(0);
    EXPECT_EQ(other.mode, static_cast<GLenum>(GL_MODELVIEW));
    glLoadIdentity();
  }
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_TEXTURE);
  EXPECT_EQ(get_matrix(GL_TEXTURE_MATRIX),
            Matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
  EXPECT_EQ(get_matrix(GL_PROJECTION_MATRIX), kProjection);
  glGetError();  // the query name 0 above is flagged by GL
}

TEST_F(MatrixScope, PixelProjectionPutsTheOriginTopLeft) {
  MatrixSaver modelview(GL_MODELVIEW_MATRIX);
  MatrixSaver projection(GL_PROJECTION_MATRIX);
  ScreenMatrix screen;

  const Matrix p = get_matrix(GL_PROJECTION_MATRIX);
  Matrix kept;
  std::copy(std::begin(screen.matrix), std::end(screen.matrix), kept.begin());
  EXPECT_EQ(kept, p);
  EXPECT_EQ(get_matrix(GL_MODELVIEW_MATRIX),
            Matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_MODELVIEW);

  const Matrix mvp = multiply(p, get_matrix(GL_MODELVIEW_MATRIX));
  const auto top_left = to_ndc(mvp, 0, 0);
  const auto bottom_right = to_ndc(mvp, 800, 600);
  const auto centre = to_ndc(mvp, 400, 300);
  EXPECT_NEAR(top_left[0], -1.0, 1e-6);
  EXPECT_NEAR(top_left[1], 1.0, 1e-6);
  EXPECT_NEAR(bottom_right[0], 1.0, 1e-6);
  EXPECT_NEAR(bottom_right[1], -1.0, 1e-6);
  EXPECT_NEAR(centre[0], 0.0, 1e-6);
  EXPECT_NEAR(centre[1], 0.0, 1e-6);

  // And in pixels: points drawn at pixel centres land on those window pixels.
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(0, 0, 0);
  glPointSize(1);
  glBegin(GL_POINTS);
  glVertex2f(0.5f, 0.5f);
  glVertex2f(799.5f, 599.5f);
  glVertex2f(100.5f, 20.5f);
  glEnd();
  const gltest::Frame frame = gltest::read_back_buffer();
  ASSERT_EQ(frame.width, 800);
  ASSERT_EQ(frame.height, 600);
  EXPECT_TRUE(gltest::is_dark(frame.at(0, 0)));
  EXPECT_TRUE(gltest::is_dark(frame.at(799, 599)));
  EXPECT_TRUE(gltest::is_dark(frame.at(100, 20)));
  EXPECT_EQ(frame.count(0, 0, 800, 600, gltest::is_dark), 3);
}

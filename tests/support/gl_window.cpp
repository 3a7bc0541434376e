#include "support/gl_window.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/gamesystem.h"

namespace gltest {
namespace {

int g_window = 0;
bool g_exposed = false;

void on_display() {
  g_exposed = true;
}
void on_reshape(int, int) {}

// Lets freeglut handle pending window events until `done` or a bounded number of rounds.
template <typename Done>
void pump_until(Done done) {
  for (int i = 0; i < 400 && !done(); ++i) {
    glutMainLoopEvent();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Whether a clear shows in every pixel of a width x height read-back. Leaves the back buffer
// cleared, the clear colour as it was.
bool clear_fills(int width, int height) {
  GLfloat was[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, was);
  glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(was[0], was[1], was[2], was[3]);
  const Frame f = read_back_buffer();
  return f.width == width && f.height == height && f.count(0, 0, width, height, [](const Rgb& c) {
    return c == Rgb{0, 255, 0};
  }) == width * height;
}

}  // namespace

void open_window(int width, int height) {
  if (g_window == 0) {
    int argc = 1;
    char name[] = "vorna-test";
    char* argv[] = {name, nullptr};
    glutInitWindowPosition(1, 1);
    glutInitWindowSize(width, height);
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    g_window = glutCreateWindow("vorna-test");
    glutDisplayFunc(on_display);
    glutReshapeFunc(on_reshape);
    pump_until([] { return g_exposed; });
  }
  glutSetWindow(g_window);
  auto sized = [&] {
    return glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height;
  };
  if (!sized()) {
    glutReshapeWindow(width, height);
    pump_until(sized);
  }
  glViewport(0, 0, width, height);
  // Mesa takes a new window size only at a buffer swap: until then drawing and read-back stop
  // at the old size.
  pump_until([&] {
    glutSwapBuffers();
    glutMainLoopEvent();
    return clear_fills(width, height);
  });
  if (!clear_fills(width, height))
    ADD_FAILURE() << "the GL window does not take the size " << width << " x " << height;
}

Rgb Frame::at(int x, int y) const {
  const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

int differing(const Frame& a, const Frame& b) {
  int n = 0;
  for (int y = 0; y < std::min(a.height, b.height); y += 2)
    for (int x = 0; x < std::min(a.width, b.width); x += 2) n += a.at(x, y) != b.at(x, y);
  return n;
}

Frame read_back_buffer() {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  Frame f;
  f.width = viewport[2];
  f.height = viewport[3];
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(f.width) * f.height * 3);
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, f.width, f.height, GL_RGB, GL_UNSIGNED_BYTE, raw.data());
  f.rgb.resize(raw.size());
  const std::size_t row = static_cast<std::size_t>(f.width) * 3;
  for (int y = 0; y < f.height; ++y)  // GL rows are bottom first
    std::copy(raw.begin() + (f.height - 1 - y) * row, raw.begin() + (f.height - y) * row,
              f.rgb.begin() + y * row);
  return f;
}

void open_game_window(int width, int height) {
  open_window(width, height);
  set_start_up_gl_state();
}

}  // namespace gltest

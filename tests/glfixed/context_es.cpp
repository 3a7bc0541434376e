// OpenGL ES 2.0 from Mesa through EGL with no display at all: a surfaceless platform display
// and a pbuffer. glfixed draws into whatever context is current.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glfixed.h>

#include <cstdio>
#include <cstdlib>

#include "glfixed/scene_context.h"

namespace scenes {
namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "EGL: %s failed (0x%x)\n", what, eglGetError());
  std::exit(2);
}

}  // namespace

const char* context_name() {
  return "es";
}

void open_context(int width, int height) {
  static bool opened = false;
  if (opened) return;
  opened = true;
  const auto get_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!get_display) fail("eglGetPlatformDisplayEXT");
  EGLDisplay display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) fail("eglInitialize");
  const EGLint config_attribs[] = {EGL_SURFACE_TYPE,
                                   EGL_PBUFFER_BIT,
                                   EGL_RENDERABLE_TYPE,
                                   EGL_OPENGL_ES2_BIT,
                                   EGL_RED_SIZE,
                                   8,
                                   EGL_GREEN_SIZE,
                                   8,
                                   EGL_BLUE_SIZE,
                                   8,
                                   EGL_DEPTH_SIZE,
                                   24,
                                   EGL_NONE};
  EGLConfig config;
  EGLint n = 0;
  if (!eglChooseConfig(display, config_attribs, &config, 1, &n) || n != 1) fail("eglChooseConfig");
  const EGLint surface_attribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surface_attribs);
  if (surface == EGL_NO_SURFACE) fail("eglCreatePbufferSurface");
  if (!eglBindAPI(EGL_OPENGL_ES_API)) fail("eglBindAPI");
  const EGLint context_attribs[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, context_attribs);
  if (context == EGL_NO_CONTEXT) fail("eglCreateContext");
  if (!eglMakeCurrent(display, surface, surface, context)) fail("eglMakeCurrent");
  glViewport(0, 0, width, height);
}

bool draw_counts(unsigned long* calls_in, unsigned long* draws_out) {
  glfixed_stats s;
  glfixed_get_stats(&s);
  *calls_in = s.calls_in;
  *draws_out = s.draws_out;
  return true;
}

void reset_draw_counts() {
  glfixed_reset_stats();
}

}  // namespace scenes

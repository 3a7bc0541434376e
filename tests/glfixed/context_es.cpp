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

EGLDisplay g_display = EGL_NO_DISPLAY;
EGLConfig g_config;
EGLSurface g_surface = EGL_NO_SURFACE;
EGLContext g_context = EGL_NO_CONTEXT;
int g_width = 0, g_height = 0;

void make_current() {
  const EGLint surface_attribs[] = {EGL_WIDTH, g_width, EGL_HEIGHT, g_height, EGL_NONE};
  g_surface = eglCreatePbufferSurface(g_display, g_config, surface_attribs);
  if (g_surface == EGL_NO_SURFACE) fail("eglCreatePbufferSurface");
  const EGLint context_attribs[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
  g_context = eglCreateContext(g_display, g_config, EGL_NO_CONTEXT, context_attribs);
  if (g_context == EGL_NO_CONTEXT) fail("eglCreateContext");
  if (!eglMakeCurrent(g_display, g_surface, g_surface, g_context)) fail("eglMakeCurrent");
}

}  // namespace

const char* context_name() {
  return "es";
}

// Before there is any context the layer cannot draw, and says so; in the first one it can.
void open_context(int width, int height) {
  if (g_display != EGL_NO_DISPLAY) return;
  if (glfixed_ready()) fail("glfixed_ready() == 0 with no context");
  const auto get_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!get_display) fail("eglGetPlatformDisplayEXT");
  g_display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (g_display == EGL_NO_DISPLAY || !eglInitialize(g_display, nullptr, nullptr))
    fail("eglInitialize");
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
  EGLint n = 0;
  if (!eglChooseConfig(g_display, config_attribs, &g_config, 1, &n) || n != 1)
    fail("eglChooseConfig");
  if (!eglBindAPI(EGL_OPENGL_ES_API)) fail("eglBindAPI");
  g_width = width;
  g_height = height;
  make_current();
  if (!glfixed_restore()) fail("glfixed_restore");
  glViewport(0, 0, width, height);
}

bool drop_context() {
  eglMakeCurrent(g_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(g_display, g_context);
  eglDestroySurface(g_display, g_surface);
  return !glfixed_restore() && !glfixed_ready();
}

bool new_context() {
  make_current();
  return glfixed_restore() == 1;
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

// The rest of the context's state: the error flag, enables and the attribute stack, viewport and
// clear colour, and the queries that read state back.
#include <cstring>

#include "internal.h"

namespace glfixed {
namespace {

bool* enable_flag(GLenum cap) {
  Enables& e = st().enables;
  switch (cap) {
    case GL_DEPTH_TEST:
      return &e.depth_test;
    case GL_FOG:
      return &e.fog;
    case GL_LIGHTING:
      return &e.lighting;
    case GL_LIGHT0:
      return &e.light0;
    default:
      return nullptr;
  }
}

void set_enabled(GLenum cap, bool on) {
  // Old GL also takes the client arrays through glEnable; the game's start-up sets them so.
  if (Client_array* a = client_array(cap)) {
    a->enabled = on;
    return;
  }
  bool* flag = enable_flag(cap);
  if (!flag) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  *flag = on;
}

}  // namespace

void set_error(GLenum e) {
  State& s = st();
  if (s.error == GL_NO_ERROR) s.error = e;
}

bool refused_inside_begin() {
  if (!st().in_begin) return false;
  set_error(GL_INVALID_OPERATION);
  return true;
}

}  // namespace glfixed

using namespace glfixed;

extern "C" {

void glEnable(GLenum cap) {
  if (refused_inside_begin()) return;
  set_enabled(cap, true);
}

void glDisable(GLenum cap) {
  if (refused_inside_begin()) return;
  set_enabled(cap, false);
}

void glPushAttrib(GLbitfield mask) {
  if (refused_inside_begin()) return;
  State& s = st();
  if (mask & ~static_cast<GLbitfield>(GL_ENABLE_BIT | GL_LIGHTING_BIT)) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  if (s.attrib_stack.size() >= 16) {
    set_error(GL_STACK_OVERFLOW);
    return;
  }
  s.attrib_stack.push_back(Attrib_entry{mask, s.enables, s.lighting});
}

// GL's rule: the lighting bit brings back the material and the light as well as the two
// enables; the enable bit brings back every enable.
void glPopAttrib(void) {
  if (refused_inside_begin()) return;
  State& s = st();
  if (s.attrib_stack.empty()) {
    set_error(GL_STACK_UNDERFLOW);
    return;
  }
  const Attrib_entry e = s.attrib_stack.back();
  s.attrib_stack.pop_back();
  if (e.mask & GL_ENABLE_BIT) s.enables = e.enables;
  if (e.mask & GL_LIGHTING_BIT) {
    s.lighting = e.lighting;
    s.enables.lighting = e.enables.lighting;
    s.enables.light0 = e.enables.light0;
  }
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  if (refused_inside_begin()) return;
  float* c = st().clear_color;
  c[0] = clamp01(r);
  c[1] = clamp01(g);
  c[2] = clamp01(b);
  c[3] = clamp01(a);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (refused_inside_begin()) return;
  if (width < 0 || height < 0) {
    set_error(GL_INVALID_VALUE);
    return;
  }
  GLint* v = st().viewport;
  v[0] = x;
  v[1] = y;
  v[2] = width;
  v[3] = height;
}

void glGetFloatv(GLenum pname, GLfloat* params) {
  if (refused_inside_begin()) return;
  State& s = st();
  switch (pname) {
    case GL_MODELVIEW_MATRIX:
      std::memcpy(params, top(GL_MODELVIEW).m, sizeof(Mat::m));
      break;
    case GL_PROJECTION_MATRIX:
      std::memcpy(params, top(GL_PROJECTION).m, sizeof(Mat::m));
      break;
    case GL_TEXTURE_MATRIX:
      std::memcpy(params, top(GL_TEXTURE).m, sizeof(Mat::m));
      break;
    case GL_CURRENT_COLOR:
      std::memcpy(params, s.color, sizeof s.color);
      break;
    case GL_CURRENT_NORMAL:
      std::memcpy(params, s.normal, sizeof s.normal);
      break;
    case GL_VIEWPORT:
      for (int k = 0; k < 4; ++k) params[k] = static_cast<GLfloat>(s.viewport[k]);
      break;
    case GL_MATRIX_MODE:
      params[0] = static_cast<GLfloat>(s.matrix_mode);
      break;
    default:
      set_error(GL_INVALID_ENUM);
      break;
  }
}

void glGetDoublev(GLenum pname, GLdouble* params) {
  if (refused_inside_begin()) return;
  GLfloat f[16];
  const int n =
      pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX || pname == GL_TEXTURE_MATRIX
          ? 16
      : pname == GL_CURRENT_COLOR || pname == GL_VIEWPORT ? 4
      : pname == GL_CURRENT_NORMAL                        ? 3
                                                          : 1;
  const GLenum before = st().error;
  glGetFloatv(pname, f);
  if (st().error != before) return;
  for (int k = 0; k < n; ++k) params[k] = f[k];
}

void glGetIntegerv(GLenum pname, GLint* params) {
  if (refused_inside_begin()) return;
  State& s = st();
  switch (pname) {
    case GL_VIEWPORT:
      std::memcpy(params, s.viewport, sizeof s.viewport);
      break;
    case GL_MATRIX_MODE:
      params[0] = static_cast<GLint>(s.matrix_mode);
      break;
    default:
      set_error(GL_INVALID_ENUM);
      break;
  }
}

GLenum glGetError(void) {
  if (refused_inside_begin()) return GL_NO_ERROR;
  const GLenum e = st().error;
  st().error = GL_NO_ERROR;
  return e;
}

const GLubyte* glGetString(GLenum name) {
  if (refused_inside_begin()) return nullptr;
  return es::get_string(name);
}

}  // extern "C"

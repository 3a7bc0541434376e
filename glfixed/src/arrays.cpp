// Client arrays: the vertex, normal and texture-coordinate pointers, and the array draws that
// read them, each vertex transformed and lit once per draw.
#include <algorithm>
#include <cstring>

#include "internal.h"

namespace glfixed {
namespace {

float component(const Client_array& a, int element, int k) {
  const int size_bytes = a.type == GL_DOUBLE ? 8 : a.type == GL_FLOAT || a.type == GL_INT ? 4 : 2;
  const std::size_t stride =
      a.stride ? static_cast<std::size_t>(a.stride) : static_cast<std::size_t>(a.size) * size_bytes;
  const auto* base = static_cast<const unsigned char*>(a.pointer) + stride * element;
  switch (a.type) {
    case GL_FLOAT: {
      float f;
      std::memcpy(&f, base + 4 * k, 4);
      return f;
    }
    case GL_DOUBLE: {
      double d;
      std::memcpy(&d, base + 8 * k, 8);
      return static_cast<float>(d);
    }
    case GL_INT: {
      std::int32_t i;
      std::memcpy(&i, base + 4 * k, 4);
      return static_cast<float>(i);
    }
    default: {
      std::int16_t i;
      std::memcpy(&i, base + 2 * k, 2);
      return static_cast<float>(i);
    }
  }
}

void process_array_element(int i) {
  State& s = st();
  float n[3] = {s.normal[0], s.normal[1], s.normal[2]};
  if (s.normal_array.enabled)
    for (int k = 0; k < 3; ++k) n[k] = component(s.normal_array, i, k);
  float p[3] = {0.0f, 0.0f, 0.0f};
  for (int k = 0; k < s.vertex_array.size && k < 3; ++k) p[k] = component(s.vertex_array, i, k);
  s.primitive.push_back(process(p[0], p[1], p[2], n));
}

bool array_draw_allowed(GLenum mode, GLsizei count) {
  State& s = st();
  if (!valid_mode(mode)) {
    set_error(GL_INVALID_ENUM);
    return false;
  }
  if (count < 0) {
    set_error(GL_INVALID_VALUE);
    return false;
  }
  ++s.stats.calls_in;
  return s.vertex_array.enabled && s.vertex_array.pointer != nullptr && count > 0;
}

void set_pointer(Client_array& a, GLint size, GLenum type, GLsizei stride, const GLvoid* ptr) {
  if (stride < 0 || size < 2 || size > 4) {
    set_error(GL_INVALID_VALUE);
    return;
  }
  if (type != GL_FLOAT && type != GL_DOUBLE && type != GL_INT && type != GL_SHORT) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  a.size = size;
  a.type = type;
  a.stride = stride;
  a.pointer = ptr;
}

}  // namespace

Client_array* client_array(GLenum array) {
  State& s = st();
  switch (array) {
    case GL_VERTEX_ARRAY:
      return &s.vertex_array;
    case GL_NORMAL_ARRAY:
      return &s.normal_array;
    case GL_TEXTURE_COORD_ARRAY:
      return &s.texcoord_array;
    default:
      return nullptr;
  }
}

}  // namespace glfixed

using namespace glfixed;

extern "C" {

void glEnableClientState(GLenum array) {
  if (refused_inside_begin()) return;
  if (Client_array* a = client_array(array))
    a->enabled = true;
  else
    set_error(GL_INVALID_ENUM);
}

void glDisableClientState(GLenum array) {
  if (refused_inside_begin()) return;
  if (Client_array* a = client_array(array))
    a->enabled = false;
  else
    set_error(GL_INVALID_ENUM);
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* ptr) {
  if (refused_inside_begin()) return;
  set_pointer(st().vertex_array, size, type, stride, ptr);
}

void glNormalPointer(GLenum type, GLsizei stride, const GLvoid* ptr) {
  if (refused_inside_begin()) return;
  set_pointer(st().normal_array, 3, type, stride, ptr);
}

// Kept as GL keeps it; no texturing is part of the subset, so nothing reads it.
void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* ptr) {
  if (refused_inside_begin()) return;
  set_pointer(st().texcoord_array, size < 2 ? 2 : size, type, stride, ptr);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  if (refused_inside_begin()) return;
  if (first < 0) {
    set_error(GL_INVALID_VALUE);
    return;
  }
  if (!array_draw_allowed(mode, count)) return;
  State& s = st();
  s.primitive.clear();
  for (int i = 0; i < count; ++i) process_array_element(first + i);
  assemble(mode, s.primitive.data(), nullptr, count);
}

// Each vertex the indices reach is transformed and lit once, however often it is used.
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
  if (refused_inside_begin()) return;
  if (type != GL_UNSIGNED_BYTE && type != GL_UNSIGNED_SHORT && type != GL_UNSIGNED_INT) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  if (!array_draw_allowed(mode, count)) return;
  State& s = st();
  static std::vector<int> index;
  index.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    index[i] = type == GL_UNSIGNED_BYTE ? static_cast<const GLubyte*>(indices)[i]
               : type == GL_UNSIGNED_SHORT
                   ? static_cast<const GLushort*>(indices)[i]
                   : static_cast<int>(static_cast<const GLuint*>(indices)[i]);
  const int lo = *std::min_element(index.begin(), index.end());
  const int hi = *std::max_element(index.begin(), index.end());
  s.primitive.clear();
  for (int i = lo; i <= hi; ++i) process_array_element(i);
  for (int& i : index) i -= lo;
  assemble(mode, s.primitive.data(), index.data(), count);
}

}  // extern "C"

// Batching: primitives wait in one pending batch, sent as one ES draw when the kind of primitive
// or the draw state changes, or when a frame operation (clear, read-back, finish, flush) needs
// them drawn. The draw counters live here.
#include <algorithm>
#include <cstring>

#include "internal.h"

namespace glfixed {
namespace {

es::Draw_state draw_state(const GLint viewport[4]) {
  State& s = st();
  es::Draw_state d;
  d.depth_test = s.enables.depth_test;
  std::memcpy(d.fog_color, s.fog_color, sizeof d.fog_color);
  std::memcpy(d.viewport, viewport, sizeof d.viewport);
  return d;
}

}  // namespace

void flush_pending() {
  State& s = st();
  if (s.pending == Kind::triangles && !s.triangles.empty()) {
    es::draw_triangles(s.triangles.data(), static_cast<int>(s.triangles.size()), s.pending_state);
    ++s.stats.draws_out;
    s.stats.vertices_out += s.triangles.size();
  } else if (s.pending == Kind::bitmaps && !s.bitmaps.empty()) {
    es::draw_bitmaps(s.bitmaps.data(), static_cast<int>(s.bitmaps.size()), s.pending_state);
    ++s.stats.draws_out;
    s.stats.vertices_out += s.bitmaps.size();
  }
  s.triangles.clear();
  s.bitmaps.clear();
  s.pending = Kind::none;
}

void batch(Kind kind, const GLint viewport[4]) {
  State& s = st();
  const es::Draw_state d = draw_state(viewport);
  if (s.pending == kind && s.pending_state == d) return;
  flush_pending();
  s.pending = kind;
  s.pending_state = d;
}

Viewport_map window_map(const float lo[2], const float hi[2]) {
  const GLint* vp = st().viewport;
  for (int k = 0; k < 2; ++k)
    if (std::max(lo[k], 0.0f) < static_cast<float>(vp[k]) ||
        hi[k] > static_cast<float>(vp[k] + vp[k + 2])) {
      const int span = es::window_span();
      const GLint square[4] = {0, 0, span, span};
      return Viewport_map(square);
    }
  return Viewport_map(vp);
}

}  // namespace glfixed

using namespace glfixed;

extern "C" {

void glClear(GLbitfield mask) {
  if (refused_inside_begin()) return;
  flush_pending();
  es::clear(mask, st().clear_color);
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  GLvoid* pixels) {
  if (refused_inside_begin()) return;
  State& s = st();
  if ((format != GL_RGB && format != GL_RGBA) || type != GL_UNSIGNED_BYTE) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  if (width <= 0 || height <= 0) return;
  flush_pending();
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  es::read_rgba(x, y, width, height, rgba.data());
  const int channels = format == GL_RGB ? 3 : 4;
  const std::size_t row = (static_cast<std::size_t>(width) * channels + s.pack_alignment - 1) /
                          s.pack_alignment * s.pack_alignment;
  auto* out = static_cast<std::uint8_t*>(pixels);
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c)
      std::memcpy(out + r * row + static_cast<std::size_t>(c) * channels,
                  &rgba[(static_cast<std::size_t>(r) * width + c) * 4], channels);
}

void glFinish(void) {
  if (refused_inside_begin()) return;
  flush_pending();
  es::finish();
}

void glFlush(void) {
  if (refused_inside_begin()) return;
  flush_pending();
  es::flush();
}

void glfixed_get_stats(glfixed_stats* stats) {
  *stats = st().stats;
}

void glfixed_reset_stats(void) {
  st().stats = glfixed_stats{0, 0, 0};
}

}  // extern "C"

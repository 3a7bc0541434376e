// Primitive assembly: glBegin/glEnd runs and array draws become triangles, wide lines become
// quads in window space, and (where the build asks for it) triangles are clipped at the near plane.
#include <algorithm>
#include <cmath>

#include "internal.h"

namespace glfixed {
namespace {

using es::Vertex;

// WebGL may rasterise in software with SwiftShader, which drops or miscolours triangles reaching
// the eye plane (the floor beside the eye when facing along an axis, a wall face edge-on through
// the eye). The web build sets GLFIXED_CLIP_NEAR so the layer clips at the near plane itself, as
// Mesa does, and the GPU never gets a vertex at or behind the eye. Natively Mesa's own clipping
// stays, pixel for pixel.
constexpr bool kClipNear = GLFIXED_CLIP_NEAR;

// Distance from the near plane in clip space (z + w), negative beyond it.
float near_distance(const Vertex& v) {
  return v.pos[2] + v.pos[3];
}

// The point at t from `out` towards `in`, every attribute linear in clip space.
Vertex towards(const Vertex& out, const Vertex& in, float t) {
  Vertex m;
  for (int k = 0; k < 4; ++k) m.pos[k] = out.pos[k] + t * (in.pos[k] - out.pos[k]);
  for (int k = 0; k < 4; ++k) m.color[k] = out.color[k] + t * (in.color[k] - out.color[k]);
  m.fog = out.fog + t * (in.fog - out.fog);
  return m;
}

void triangle(const Processed& a, const Processed& b, const Processed& c) {
  std::vector<Vertex>& t = st().triangles;
  const Vertex* in[3] = {&a.v, &b.v, &c.v};
  const float d[3] = {near_distance(a.v), near_distance(b.v), near_distance(c.v)};
  if (!kClipNear || (d[0] >= 0.0f && d[1] >= 0.0f && d[2] >= 0.0f)) {
    for (const Vertex* v : in) t.push_back(*v);
    return;
  }
  // Mesa's order: each kept vertex, then where its edge leaves or enters, interpolated from the
  // outer end; a fan from the first vertex kept.
  Vertex out[4];
  int n = 0;
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    if (d[i] >= 0.0f) out[n++] = *in[i];
    if ((d[i] >= 0.0f) == (d[j] >= 0.0f)) continue;
    if (d[j] < 0.0f)
      out[n++] = towards(*in[j], *in[i], d[j] / (d[j] - d[i]));
    else
      out[n++] = towards(*in[i], *in[j], d[i] / (d[i] - d[j]));
  }
  for (int i = 2; i < n; ++i) {
    t.push_back(out[0]);
    t.push_back(out[i - 1]);
    t.push_back(out[i]);
  }
}

// GL clips a line to the view volume before it widens it, so only the width reaches beyond the
// viewport. Each end cut where it leaves the volume, interpolated from that end, as Mesa does;
// false when nothing is left.
bool clip_line(Processed& a, Processed& b) {
  float from_a = 0.0f, from_b = 0.0f;  // how much of the line each end loses
  for (int plane = 0; plane < 6; ++plane) {
    const int k = plane / 2;
    const float sign = plane % 2 == 0 ? 1.0f : -1.0f;
    const float da = a.v.pos[3] + sign * a.v.pos[k], db = b.v.pos[3] + sign * b.v.pos[k];
    if (da < 0.0f && db < 0.0f) return false;
    if (da < 0.0f) from_a = std::max(from_a, da / (da - db));
    if (db < 0.0f) from_b = std::max(from_b, db / (db - da));
  }
  if (from_a + from_b >= 1.0f) return false;
  const Vertex va = a.v, vb = b.v;
  if (from_a > 0.0f) {
    a.v = towards(va, vb, from_a);
    window_position(a.v.pos, a.win);
  }
  if (from_b > 0.0f) {
    b.v = towards(vb, va, from_b);
    window_position(b.v.pos, b.win);
  }
  return true;
}

// A line of the current width as Mesa rasterises it without antialiasing, moved half a pixel
// back along itself: per column (x-major) or row (y-major) the fragments whose centres lie within
// half the width of the line, one on the upper (right) edge left out; along it, those whose
// centres lie past the start and up to the end. Drawn as a quad in window space that ends half
// way between pixel centres and lies a hair down (left) across the line, so no pixel centre sits
// on an edge, whatever rule the GPU has for those.
void line(Processed a, Processed b) {
  if (!clip_line(a, b)) return;
  State& s = st();
  const float w = std::max(1.0f, std::floor(s.line_width + 0.5f));
  const float dx = b.win[0] - a.win[0], dy = b.win[1] - a.win[1];
  if (dx == 0.0f && dy == 0.0f) return;
  const bool x_major = std::fabs(dx) >= std::fabs(dy);
  const int major = x_major ? 0 : 1, minor = 1 - major;
  const bool forward = (x_major ? dx : dy) > 0.0f;
  // The first column (row) covered and the one past the last, in the line's direction.
  const auto edge = [forward](float x) { return forward ? std::floor(x) : std::ceil(x); };
  const float ends_at[2] = {edge(a.win[major]), edge(b.win[major])};
  if (ends_at[0] == ends_at[1]) return;
  const float back = forward ? -0.5f : 0.5f;
  const float slope = (x_major ? dy : dx) / (x_major ? dx : dy);
  const float across = -1.0f / 64.0f;
  float win[4][2];
  float lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  for (int i = 0; i < 4; ++i) {
    const float at = ends_at[i < 2 ? 0 : 1];
    const float side = (i == 0 || i == 3) ? -0.5f : 0.5f;
    win[i][major] = at;
    win[i][minor] = a.win[minor] + (at - a.win[major] - back) * slope + across + side * w;
    for (int k = 0; k < 2; ++k) {
      lo[k] = std::min(lo[k], win[i][k]);
      hi[k] = std::max(hi[k], win[i][k]);
    }
  }
  const Viewport_map map = window_map(lo, hi);
  batch(Kind::triangles, map.viewport);
  Processed q[4];
  const Processed* ends[2] = {&a, &b};
  for (int i = 0; i < 4; ++i) {
    const Processed& e = *ends[i < 2 ? 0 : 1];
    q[i] = e;
    for (int k = 0; k < 2; ++k) q[i].v.pos[k] = map.to_clip(win[i][k], k, e.v.pos[3]);
  }
  triangle(q[0], q[1], q[2]);
  triangle(q[0], q[2], q[3]);
}

}  // namespace

bool valid_mode(GLenum mode) {
  return mode <= GL_POLYGON;
}

// In Mesa's order: a quad (0, 1, 2, 3) is split into (0, 1, 3) and (1, 2, 3), the split GL's
// last-vertex convention gives.
void assemble(GLenum mode, const Processed* v, const int* index, int n) {
  auto at = [&](int i) -> const Processed& { return v[index ? index[i] : i]; };
  if (mode != GL_LINES && mode != GL_LINE_STRIP && mode != GL_LINE_LOOP)
    batch(Kind::triangles, st().viewport);
  switch (mode) {
    case GL_TRIANGLES:
      for (int i = 0; i + 2 < n; i += 3) triangle(at(i), at(i + 1), at(i + 2));
      break;
    case GL_TRIANGLE_STRIP:
      for (int i = 2; i < n; ++i)
        if (i % 2 == 0)
          triangle(at(i - 2), at(i - 1), at(i));
        else
          triangle(at(i - 1), at(i - 2), at(i));
      break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
      for (int i = 2; i < n; ++i) triangle(at(0), at(i - 1), at(i));
      break;
    case GL_QUADS:
      for (int i = 0; i + 3 < n; i += 4) {
        triangle(at(i), at(i + 1), at(i + 3));
        triangle(at(i + 1), at(i + 2), at(i + 3));
      }
      break;
    case GL_QUAD_STRIP:
      for (int i = 0; i + 3 < n; i += 2) {
        triangle(at(i), at(i + 1), at(i + 3));
        triangle(at(i), at(i + 3), at(i + 2));
      }
      break;
    case GL_LINES:
      for (int i = 0; i + 1 < n; i += 2) line(at(i), at(i + 1));
      break;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
      for (int i = 0; i + 1 < n; ++i) line(at(i), at(i + 1));
      if (mode == GL_LINE_LOOP && n > 2) line(at(n - 1), at(0));
      break;
    default:  // points: not part of the subset
      break;
  }
}

}  // namespace glfixed

using namespace glfixed;

extern "C" {

void glBegin(GLenum mode) {
  if (refused_inside_begin()) return;
  State& s = st();
  if (!valid_mode(mode)) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  s.in_begin = true;
  s.begin_mode = mode;
  s.primitive.clear();
}

void glEnd(void) {
  State& s = st();
  if (!s.in_begin) {
    set_error(GL_INVALID_OPERATION);
    return;
  }
  s.in_begin = false;
  ++s.stats.calls_in;
  assemble(s.begin_mode, s.primitive.data(), nullptr, static_cast<int>(s.primitive.size()));
}

void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
  State& s = st();
  if (!s.in_begin) return;  // outside Begin/End a vertex does nothing
  s.primitive.push_back(
      process(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), s.normal));
}

void glLineWidth(GLfloat width) {
  if (refused_inside_begin()) return;
  if (width <= 0.0f) {
    set_error(GL_INVALID_VALUE);
    return;
  }
  st().line_width = width;
}

}  // extern "C"

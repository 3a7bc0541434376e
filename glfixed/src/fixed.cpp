// OpenGL 1.1 fixed function on the CPU: matrices, per-vertex lighting and fog distance,
// primitive assembly, wide lines and bitmaps. Vertices leave here transformed and lit, so
// consecutive primitives share one ES draw until the depth test, the fog colour, the viewport
// or the kind of primitive (triangles or bitmaps) changes.
#include <GL/gl.h>
#include <GL/glfixed.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "backend.h"
#include "internal.h"

namespace glfixed {
namespace {

using es::Vertex;

struct Mat {
  float m[16];
};
constexpr Mat kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
constexpr int kStackDepth = 32;  // GL asks for at least 32 model-view and 2 projection entries

// a * b, column-major, in float.
Mat multiply(const Mat& a, const float* b) {
  Mat p;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      p.m[j * 4 + i] = a.m[i] * b[j * 4] + a.m[4 + i] * b[j * 4 + 1] + a.m[8 + i] * b[j * 4 + 2] +
                       a.m[12 + i] * b[j * 4 + 3];
  return p;
}

struct Material {
  float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
};

struct Enables {
  bool depth_test = false;
  bool fog = false;
  bool lighting = false;
  bool light0 = false;
};

// What GL_LIGHTING_BIT saves besides the two enables (light 0's colours are never changed).
struct Lighting {
  Material material;
  float light_position[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // eye coordinates
};

struct Attrib_entry {
  GLbitfield mask;
  Enables enables;
  Lighting lighting;
};

struct Client_array {
  bool enabled = false;
  GLint size = 3;
  GLenum type = GL_FLOAT;
  GLsizei stride = 0;
  const void* pointer = nullptr;
};

// A vertex after transformation and lighting, with its window position for wide lines.
struct Processed {
  Vertex v;
  float win[2];
};

struct Raster {
  bool valid = true;
  float x = 0.0f, y = 0.0f, z = 0.0f;  // window coordinates
  float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float fog = 0.0f;
};

struct Atlas_slot {
  int x, y;
};

enum class Kind { none, triangles, bitmaps };

struct State {
  GLenum matrix_mode = GL_MODELVIEW;
  std::vector<Mat> stacks[3] = {{kIdentity}, {kIdentity}, {kIdentity}};
  bool normal_matrix_dirty = true;
  bool mvp_dirty = true;
  Mat mvp = kIdentity;  // projection times model-view, as Mesa feeds its vertex program
  float normal_matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // inverse transpose, column-major
  GLint viewport[4] = {0, 0, 0, 0};

  Enables enables;
  Lighting lighting;
  float fog_density = 1.0f;
  float fog_color[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float clear_color[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float line_width = 1.0f;
  GLint unpack_alignment = 4;
  GLint pack_alignment = 4;
  std::vector<Attrib_entry> attrib_stack;

  float normal[3] = {0.0f, 0.0f, 1.0f};
  float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  Raster raster;

  Client_array vertex_array, normal_array, texcoord_array;

  bool in_begin = false;
  GLenum begin_mode = GL_POINTS;
  std::vector<Processed> primitive;  // the vertices since glBegin, or of one array draw

  Kind pending = Kind::none;
  es::Draw_state pending_state;
  std::vector<Vertex> triangles;
  std::vector<es::Bitmap_vertex> bitmaps;

  std::unordered_map<std::string, Atlas_slot> atlas_slots;
  int atlas_x = 0, atlas_y = 0, atlas_row = 0;
  std::vector<std::uint8_t> texels;

  GLenum error = GL_NO_ERROR;
  glfixed_stats stats = {0, 0, 0};
};

State& st() {
  static State* s = new State();  // one context, kept to the end
  return *s;
}

void set_error(GLenum e) {
  State& s = st();
  if (s.error == GL_NO_ERROR) s.error = e;
}

int stack_index(GLenum mode) {
  return mode == GL_PROJECTION ? 1 : mode == GL_TEXTURE ? 2 : 0;
}

std::vector<Mat>& current_stack() {
  return st().stacks[stack_index(st().matrix_mode)];
}

Mat& top(GLenum mode) {
  return st().stacks[stack_index(mode)].back();
}

void matrix_changed() {
  if (st().matrix_mode == GL_MODELVIEW) st().normal_matrix_dirty = true;
  st().mvp_dirty = true;
}

const float* mvp() {
  State& s = st();
  if (s.mvp_dirty) {
    s.mvp = multiply(top(GL_PROJECTION), top(GL_MODELVIEW).m);
    s.mvp_dirty = false;
  }
  return s.mvp.m;
}

// Inverse transpose of the model-view's upper 3 x 3, for normals.
const float* normal_matrix() {
  State& s = st();
  if (s.normal_matrix_dirty) {
    const float* m = top(GL_MODELVIEW).m;
    const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6],
                i = m[10];
    const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const float det = a * A + b * B + c * C;
    const float inv = det != 0.0f ? 1.0f / det : 0.0f;
    // The cofactor matrix over the determinant, stored column-major.
    const float r[9] = {A * inv, -(b * i - c * h) * inv, (b * f - c * e) * inv,
                        B * inv, (a * i - c * g) * inv,  -(a * f - c * d) * inv,
                        C * inv, -(a * h - b * g) * inv, (a * e - b * d) * inv};
    std::memcpy(s.normal_matrix, r, sizeof r);
    s.normal_matrix_dirty = false;
  }
  return s.normal_matrix;
}

float clamp01(float v) {
  return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

// Lighting as fixed-function GL does it per vertex, in eye space: the scene ambient on the
// material's ambient, then light 0 (black ambient, white diffuse, no attenuation, no spot).
// The material's specular colour is never changed from black, so there is no specular term.
void light(const float eye[4], const float n_obj[3], float out[4]) {
  State& s = st();
  const Material& m = s.lighting.material;
  for (int k = 0; k < 3; ++k) out[k] = m.ambient[k] * 0.2f;
  if (s.enables.light0) {
    const float* nm = normal_matrix();
    const float n[3] = {nm[0] * n_obj[0] + nm[3] * n_obj[1] + nm[6] * n_obj[2],
                        nm[1] * n_obj[0] + nm[4] * n_obj[1] + nm[7] * n_obj[2],
                        nm[2] * n_obj[0] + nm[5] * n_obj[1] + nm[8] * n_obj[2]};
    const float* p = s.lighting.light_position;
    float l[3];
    if (p[3] != 0.0f) {
      for (int k = 0; k < 3; ++k) l[k] = p[k] * eye[3] - eye[k] * p[3];
    } else {
      for (int k = 0; k < 3; ++k) l[k] = p[k];
    }
    const float len2 = l[0] * l[0] + l[1] * l[1] + l[2] * l[2];
    const float inv = len2 > 0.0f ? 1.0f / std::sqrt(len2) : 0.0f;
    const float ndotl = (n[0] * l[0] + n[1] * l[1] + n[2] * l[2]) * inv;
    if (ndotl > 0.0f)
      for (int k = 0; k < 3; ++k) out[k] += ndotl * m.diffuse[k];
  }
  out[3] = m.diffuse[3];
  for (int k = 0; k < 4; ++k) out[k] = clamp01(out[k]);
}

void viewport_scale(float scale[2], float translate[2]) {
  const GLint* vp = st().viewport;
  scale[0] = static_cast<float>(vp[2]) * 0.5f;
  scale[1] = static_cast<float>(vp[3]) * 0.5f;
  translate[0] = static_cast<float>(vp[0]) + scale[0];
  translate[1] = static_cast<float>(vp[1]) + scale[1];
}

Processed process(float x, float y, float z, const float* normal) {
  State& s = st();
  const float* mv = top(GL_MODELVIEW).m;
  const float* c = mvp();
  float eye[4];
  for (int k = 0; k < 4; ++k) eye[k] = mv[k] * x + mv[4 + k] * y + mv[8 + k] * z + mv[12 + k];
  Processed p;
  for (int k = 0; k < 4; ++k) p.v.pos[k] = c[k] * x + c[4 + k] * y + c[8 + k] * z + c[12 + k];
  if (s.enables.lighting)
    light(eye, normal, p.v.color);
  else
    for (int k = 0; k < 4; ++k) p.v.color[k] = clamp01(s.color[k]);
  p.v.fog = s.enables.fog ? s.fog_density * std::fabs(eye[2]) : 0.0f;
  float scale[2], translate[2];
  viewport_scale(scale, translate);
  const float w = p.v.pos[3] != 0.0f ? p.v.pos[3] : 1.0f;
  p.win[0] = p.v.pos[0] / w * scale[0] + translate[0];
  p.win[1] = p.v.pos[1] / w * scale[1] + translate[1];
  return p;
}

es::Draw_state draw_state() {
  State& s = st();
  es::Draw_state d;
  d.depth_test = s.enables.depth_test;
  std::memcpy(d.fog_color, s.fog_color, sizeof d.fog_color);
  std::memcpy(d.viewport, s.viewport, sizeof d.viewport);
  return d;
}

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

// Makes the pending batch one of `kind` drawn with the current state.
void batch(Kind kind) {
  State& s = st();
  const es::Draw_state d = draw_state();
  if (s.pending == kind && s.pending_state == d) return;
  flush_pending();
  s.pending = kind;
  s.pending_state = d;
}

#ifdef __EMSCRIPTEN__
// WebGL may rasterise in software with SwiftShader, which drops or miscolours triangles reaching
// the eye plane (the floor beside the eye when facing along an axis, a wall face edge-on through
// the eye). In a page the layer clips at the near plane itself, as Mesa does, so the GPU never
// gets a vertex at or behind the eye. Natively Mesa's own clipping stays, pixel for pixel.
constexpr bool kClipNear = true;
#else
constexpr bool kClipNear = false;
#endif

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

// A line of the current width as Mesa rasterises it without antialiasing: per column (x-major)
// or row (y-major) the fragments whose centres lie within half the width of the line, one on
// the upper (right) edge left out; the end fragments by the diamond-exit rule. Drawn as a quad
// in window space, half a pixel back along the line and a hair down (left) across it, so no
// pixel centre sits on an edge, whatever rule the GPU has for those.
void line(const Processed& a, const Processed& b) {
  State& s = st();
  const float w = std::max(1.0f, std::floor(s.line_width + 0.5f));
  const float dx = b.win[0] - a.win[0], dy = b.win[1] - a.win[1];
  if (dx == 0.0f && dy == 0.0f) return;
  const bool x_major = std::fabs(dx) >= std::fabs(dy);
  const int major = x_major ? 0 : 1, minor = 1 - major;
  const float back = (x_major ? dx : dy) > 0.0f ? -0.5f : 0.5f;
  const float across = -1.0f / 64.0f;
  float scale[2], translate[2];
  viewport_scale(scale, translate);
  Processed q[4];
  const Processed* ends[2] = {&a, &b};
  for (int i = 0; i < 4; ++i) {
    const Processed& e = *ends[i < 2 ? 0 : 1];
    const float side = (i == 0 || i == 3) ? -0.5f : 0.5f;
    float win[2];
    win[major] = e.win[major] + back;
    win[minor] = e.win[minor] + across + side * w;
    q[i] = e;
    const float cw = e.v.pos[3];
    for (int k = 0; k < 2; ++k) q[i].v.pos[k] = (win[k] - translate[k]) / scale[k] * cw;
  }
  triangle(q[0], q[1], q[2]);
  triangle(q[0], q[2], q[3]);
}

bool valid_mode(GLenum mode) {
  return mode <= GL_POLYGON;
}

// Turns the vertices of one primitive run into triangles, in Mesa's order: a quad (0, 1, 2, 3)
// is split into (0, 1, 3) and (1, 2, 3), the split GL's last-vertex convention gives.
void assemble(GLenum mode, const Processed* v, const int* index, int n) {
  auto at = [&](int i) -> const Processed& { return v[index ? index[i] : i]; };
  batch(Kind::triangles);
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
  if (s.in_begin) {
    set_error(GL_INVALID_OPERATION);
    return false;
  }
  ++s.stats.calls_in;
  return s.vertex_array.enabled && s.vertex_array.pointer != nullptr && count > 0;
}

// The bitmap's bits as texels in the atlas, uploaded once per distinct bitmap.
bool atlas_slot(GLsizei width, GLsizei height, const GLubyte* bits, Atlas_slot* slot) {
  State& s = st();
  const int row_bytes =
      ((width + 7) / 8 + s.unpack_alignment - 1) / s.unpack_alignment * s.unpack_alignment;
  std::string key(reinterpret_cast<const char*>(&width), sizeof width);
  key.append(reinterpret_cast<const char*>(&height), sizeof height);
  for (int r = 0; r < height; ++r)
    key.append(reinterpret_cast<const char*>(bits) + r * row_bytes, (width + 7) / 8);
  const auto found = s.atlas_slots.find(key);
  if (found != s.atlas_slots.end()) {
    *slot = found->second;
    return true;
  }
  if (width > es::kAtlasSize || height > es::kAtlasSize) return false;
  if (s.atlas_x + width > es::kAtlasSize) {
    s.atlas_x = 0;
    s.atlas_y += s.atlas_row;
    s.atlas_row = 0;
  }
  if (s.atlas_y + height > es::kAtlasSize) {
    // Full: what is pending still samples the old glyphs, so draw it before reuse.
    flush_pending();
    s.atlas_slots.clear();
    s.atlas_x = s.atlas_y = s.atlas_row = 0;
  }
  s.texels.assign(static_cast<std::size_t>(width) * height, 0);
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c)
      if (bits[r * row_bytes + c / 8] & (0x80 >> (c % 8)))
        s.texels[static_cast<std::size_t>(r) * width + c] = 255;
  es::atlas_upload(s.atlas_x, s.atlas_y, width, height, s.texels.data());
  *slot = Atlas_slot{s.atlas_x, s.atlas_y};
  s.atlas_slots.emplace(std::move(key), *slot);
  s.atlas_x += width;
  s.atlas_row = std::max(s.atlas_row, static_cast<int>(height));
  return true;
}

}  // namespace

void mult_matrix(const float m[16]) {
  Mat& t = current_stack().back();
  t = multiply(t, m);
  matrix_changed();
}

}  // namespace glfixed

using namespace glfixed;

extern "C" {

void glMatrixMode(GLenum mode) {
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  st().matrix_mode = mode;
}

void glLoadIdentity(void) {
  current_stack().back() = kIdentity;
  matrix_changed();
}

void glLoadMatrixf(const GLfloat* m) {
  std::memcpy(current_stack().back().m, m, sizeof(Mat::m));
  matrix_changed();
}

void glPushMatrix(void) {
  std::vector<Mat>& s = current_stack();
  if (static_cast<int>(s.size()) >= kStackDepth) {
    set_error(GL_STACK_OVERFLOW);
    return;
  }
  s.push_back(s.back());
}

void glPopMatrix(void) {
  std::vector<Mat>& s = current_stack();
  if (s.size() <= 1) {
    set_error(GL_STACK_UNDERFLOW);
    return;
  }
  s.pop_back();
  matrix_changed();
}

// As Mesa does it: the double arguments become float, and only the last column changes.
void glTranslated(GLdouble xd, GLdouble yd, GLdouble zd) {
  const float x = static_cast<float>(xd), y = static_cast<float>(yd), z = static_cast<float>(zd);
  float* m = current_stack().back().m;
  for (int k = 0; k < 4; ++k) m[12 + k] = m[k] * x + m[4 + k] * y + m[8 + k] * z + m[12 + k];
  matrix_changed();
}

// Mesa's rotation: sine and cosine in float of the float angle, a rotation about a single
// axis set up directly, any other axis normalised first.
void glRotated(GLdouble angle_d, GLdouble xd, GLdouble yd, GLdouble zd) {
  const float angle = static_cast<float>(angle_d);
  float x = static_cast<float>(xd), y = static_cast<float>(yd), z = static_cast<float>(zd);
  const float s = std::sin(static_cast<float>(angle * 3.14159265358979323846 / 180.0));
  const float c = std::cos(static_cast<float>(angle * 3.14159265358979323846 / 180.0));
  Mat r = kIdentity;
  auto M = [&](int row, int col) -> float& { return r.m[col * 4 + row]; };
  if (x == 0.0f && y == 0.0f && z != 0.0f) {
    M(0, 0) = c;
    M(1, 1) = c;
    M(0, 1) = z < 0.0f ? s : -s;
    M(1, 0) = z < 0.0f ? -s : s;
  } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
    M(0, 0) = c;
    M(2, 2) = c;
    M(0, 2) = y < 0.0f ? -s : s;
    M(2, 0) = y < 0.0f ? s : -s;
  } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
    M(1, 1) = c;
    M(2, 2) = c;
    M(1, 2) = x < 0.0f ? s : -s;
    M(2, 1) = x < 0.0f ? -s : s;
  } else {
    const float mag = std::sqrt(x * x + y * y + z * z);
    if (mag <= 1.0e-4f) return;
    x /= mag;
    y /= mag;
    z /= mag;
    const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
    const float xs = x * s, ys = y * s, zs = z * s, one_c = 1.0f - c;
    M(0, 0) = (one_c * xx) + c;
    M(0, 1) = (one_c * xy) - zs;
    M(0, 2) = (one_c * zx) + ys;
    M(1, 0) = (one_c * xy) + zs;
    M(1, 1) = (one_c * yy) + c;
    M(1, 2) = (one_c * yz) - xs;
    M(2, 0) = (one_c * zx) - ys;
    M(2, 1) = (one_c * yz) + xs;
    M(2, 2) = (one_c * zz) + c;
  }
  mult_matrix(r.m);
}

void glOrtho(GLdouble left_d, GLdouble right_d, GLdouble bottom_d, GLdouble top_d, GLdouble near_d,
             GLdouble far_d) {
  const float l = static_cast<float>(left_d), r = static_cast<float>(right_d);
  const float b = static_cast<float>(bottom_d), t = static_cast<float>(top_d);
  const float n = static_cast<float>(near_d), f = static_cast<float>(far_d);
  if (l == r || b == t || n == f) {
    set_error(GL_INVALID_VALUE);
    return;
  }
  Mat o = kIdentity;
  o.m[0] = 2.0f / (r - l);
  o.m[12] = -(r + l) / (r - l);
  o.m[5] = 2.0f / (t - b);
  o.m[13] = -(t + b) / (t - b);
  o.m[10] = -2.0f / (f - n);
  o.m[14] = -(f + n) / (f - n);
  mult_matrix(o.m);
}

void glGetFloatv(GLenum pname, GLfloat* params) {
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

void glBegin(GLenum mode) {
  State& s = st();
  if (s.in_begin) {
    set_error(GL_INVALID_OPERATION);
    return;
  }
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

void glNormal3d(GLdouble nx, GLdouble ny, GLdouble nz) {
  State& s = st();
  s.normal[0] = static_cast<float>(nx);
  s.normal[1] = static_cast<float>(ny);
  s.normal[2] = static_cast<float>(nz);
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  float* c = st().color;
  c[0] = r;
  c[1] = g;
  c[2] = b;
  c[3] = a;
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
  glColor4f(r, g, b, 1.0f);
}

void glLineWidth(GLfloat width) {
  if (width <= 0.0f) {
    set_error(GL_INVALID_VALUE);
    return;
  }
  st().line_width = width;
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
  if (light != GL_LIGHT0 || pname != GL_POSITION) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  // Stored in eye coordinates, through the model-view matrix current now.
  const float* m = top(GL_MODELVIEW).m;
  float* p = st().lighting.light_position;
  for (int k = 0; k < 4; ++k)
    p[k] = m[k] * params[0] + m[4 + k] * params[1] + m[8 + k] * params[2] + m[12 + k] * params[3];
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
  if (face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  Material& m = st().lighting.material;
  const bool ambient = pname == GL_AMBIENT || pname == GL_AMBIENT_AND_DIFFUSE;
  const bool diffuse = pname == GL_DIFFUSE || pname == GL_AMBIENT_AND_DIFFUSE;
  if (!ambient && !diffuse) {
    set_error(GL_INVALID_ENUM);
    return;
  }
  // Two-sided lighting is off: back faces are lit with the front material.
  if (face == GL_BACK) return;
  if (ambient) std::memcpy(m.ambient, params, sizeof m.ambient);
  if (diffuse) std::memcpy(m.diffuse, params, sizeof m.diffuse);
}

void glFogf(GLenum pname, GLfloat param) {
  State& s = st();
  switch (pname) {
    case GL_FOG_MODE:
      if (static_cast<GLenum>(param) != GL_EXP) set_error(GL_INVALID_ENUM);
      break;
    case GL_FOG_DENSITY:
      if (param < 0.0f)
        set_error(GL_INVALID_VALUE);
      else
        s.fog_density = param;
      break;
    default:
      set_error(GL_INVALID_ENUM);
      break;
  }
}

void glFogi(GLenum pname, GLint param) {
  glFogf(pname, static_cast<GLfloat>(param));
}

void glFogfv(GLenum pname, const GLfloat* params) {
  if (pname == GL_FOG_COLOR) {
    for (int k = 0; k < 4; ++k) st().fog_color[k] = clamp01(params[k]);
    return;
  }
  glFogf(pname, params[0]);
}

static bool* enable_flag(GLenum cap) {
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

static Client_array* client_array(GLenum array) {
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

static void set_enabled(GLenum cap, bool on) {
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

void glEnable(GLenum cap) {
  set_enabled(cap, true);
}

void glDisable(GLenum cap) {
  set_enabled(cap, false);
}

void glEnableClientState(GLenum array) {
  if (Client_array* a = client_array(array))
    a->enabled = true;
  else
    set_error(GL_INVALID_ENUM);
}

void glDisableClientState(GLenum array) {
  if (Client_array* a = client_array(array))
    a->enabled = false;
  else
    set_error(GL_INVALID_ENUM);
}

void glPushAttrib(GLbitfield mask) {
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

void glRasterPos2i(GLint x, GLint y) {
  State& s = st();
  const Processed p = process(static_cast<float>(x), static_cast<float>(y), 0.0f, s.normal);
  Raster& r = s.raster;
  const float* c = p.v.pos;
  r.valid =
      c[3] > 0.0f && std::fabs(c[0]) <= c[3] && std::fabs(c[1]) <= c[3] && std::fabs(c[2]) <= c[3];
  if (!r.valid) return;
  r.x = p.win[0];
  r.y = p.win[1];
  r.z = c[2] / c[3] * 0.5f + 0.5f;
  std::memcpy(r.color, p.v.color, sizeof r.color);
  r.fog = p.v.fog;
}

// The bitmap's lower left corner lands at floor(raster + 1e-4 - origin), as Mesa places it.
void glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
              GLfloat ymove, const GLubyte* bitmap) {
  State& s = st();
  if (width < 0 || height < 0) {
    set_error(GL_INVALID_VALUE);
    return;
  }
  ++s.stats.calls_in;
  Raster& r = s.raster;
  if (!r.valid) return;
  Atlas_slot slot;
  if (width > 0 && height > 0 && bitmap && atlas_slot(width, height, bitmap, &slot)) {
    const float x0 = std::floor(r.x + 1.0e-4f - xorig);
    const float y0 = std::floor(r.y + 1.0e-4f - yorig);
    float scale[2], translate[2];
    viewport_scale(scale, translate);
    batch(Kind::bitmaps);
    es::Bitmap_vertex q[4];
    for (int i = 0; i < 4; ++i) {
      const float dx = (i == 1 || i == 2) ? static_cast<float>(width) : 0.0f;
      const float dy = (i >= 2) ? static_cast<float>(height) : 0.0f;
      q[i].pos[0] = (x0 + dx - translate[0]) / scale[0];
      q[i].pos[1] = (y0 + dy - translate[1]) / scale[1];
      q[i].pos[2] = r.z * 2.0f - 1.0f;
      q[i].pos[3] = 1.0f;
      std::memcpy(q[i].color, r.color, sizeof q[i].color);
      q[i].fog = r.fog;
      q[i].uv[0] = static_cast<float>(slot.x) + dx;
      q[i].uv[1] = static_cast<float>(slot.y) + dy;
    }
    for (int i : {0, 1, 2, 0, 2, 3}) s.bitmaps.push_back(q[i]);
  }
  r.x += xmove;
  r.y += ymove;
}

void glPixelStorei(GLenum pname, GLint param) {
  if (param != 1 && param != 2 && param != 4 && param != 8) {
    set_error(GL_INVALID_VALUE);
    return;
  }
  if (pname == GL_UNPACK_ALIGNMENT)
    st().unpack_alignment = param;
  else if (pname == GL_PACK_ALIGNMENT)
    st().pack_alignment = param;
  else
    set_error(GL_INVALID_ENUM);
}

void glClear(GLbitfield mask) {
  flush_pending();
  es::clear(mask, st().clear_color);
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  float* c = st().clear_color;
  c[0] = clamp01(r);
  c[1] = clamp01(g);
  c[2] = clamp01(b);
  c[3] = clamp01(a);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
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

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  GLvoid* pixels) {
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
  flush_pending();
  es::finish();
}

void glFlush(void) {
  flush_pending();
  es::flush();
}

GLenum glGetError(void) {
  const GLenum e = st().error;
  st().error = GL_NO_ERROR;
  return e;
}

const GLubyte* glGetString(GLenum name) {
  return es::get_string(name);
}

static void set_pointer(Client_array& a, GLint size, GLenum type, GLsizei stride,
                        const GLvoid* ptr) {
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

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* ptr) {
  set_pointer(st().vertex_array, size, type, stride, ptr);
}

void glNormalPointer(GLenum type, GLsizei stride, const GLvoid* ptr) {
  set_pointer(st().normal_array, 3, type, stride, ptr);
}

// Kept as GL keeps it; no texturing is part of the subset, so nothing reads it.
void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* ptr) {
  set_pointer(st().texcoord_array, size < 2 ? 2 : size, type, stride, ptr);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
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

void glfixed_get_stats(glfixed_stats* stats) {
  *stats = st().stats;
}

void glfixed_reset_stats(void) {
  st().stats = glfixed_stats{0, 0, 0};
}

}  // extern "C"

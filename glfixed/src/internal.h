// OpenGL 1.1 fixed function on the CPU: the one context's state and what the layer's files share.
// Vertices leave the layer transformed and lit, so consecutive primitives share one ES draw until
// the depth test, the fog colour, the viewport or the kind of primitive (triangles or bitmaps)
// changes.
#pragma once

#include <GL/gl.h>
#include <GL/glfixed.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "backend.h"

namespace glfixed {

struct Mat {
  float m[16];
};
constexpr Mat kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

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
  es::Vertex v;
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
  std::vector<es::Vertex> triangles;
  std::vector<es::Bitmap_vertex> bitmaps;

  std::unordered_map<std::string, Atlas_slot> atlas_slots;
  int atlas_x = 0, atlas_y = 0, atlas_row = 0;
  std::vector<std::uint8_t> texels;

  GLenum error = GL_NO_ERROR;
  glfixed_stats stats = {0, 0, 0};
};

inline State& st() {
  static State* s = new State();  // one context, kept to the end
  return *s;
}

// Records e unless an earlier error is still unread.
void set_error(GLenum e);

// Between glBegin and glEnd GL takes vertices, normals, colours and materials only: any other
// command records GL_INVALID_OPERATION and does nothing. True when the caller must return.
bool refused_inside_begin();

inline float clamp01(float v) {
  return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

// matrices.cpp
Mat& top(GLenum mode);
const float* mvp();
const float* normal_matrix();
// The current matrix times m (column-major), in float as GL keeps its matrices.
void mult_matrix(const float m[16]);

// lighting.cpp: a vertex transformed, lit and fogged with the current state, and where a clip
// space position lands in the window through GL's viewport.
Processed process(float x, float y, float z, const float* normal);
void window_position(const float pos[4], float win[2]);

// primitives.cpp
bool valid_mode(GLenum mode);
// Turns the vertices of one primitive run (through index when given) into the pending batch.
void assemble(GLenum mode, const Processed* v, const int* index, int n);

// batching.cpp
void flush_pending();
// Makes the pending batch one of `kind` drawn through `viewport` with the current state.
void batch(Kind kind, const GLint viewport[4]);

// GL's viewport transform through `vp`: window = normalised device coordinate * scale + translate.
struct Viewport_map {
  GLint viewport[4];
  float scale[2], translate[2];
  explicit Viewport_map(const GLint vp[4]) : viewport{vp[0], vp[1], vp[2], vp[3]} {
    for (int k = 0; k < 2; ++k) {
      scale[k] = static_cast<float>(vp[k + 2]) * 0.5f;
      translate[k] = static_cast<float>(vp[k]) + scale[k];
    }
  }
  float to_clip(float win, int k, float w) const { return (win - translate[k]) / scale[k] * w; }
};

// What GL places in window space (wide lines, bitmaps), covering lo..hi there, goes to clip space
// through GL's viewport when that holds all of it a window can show (nothing lies below 0), and
// shares the batch of what surrounds it; else through the square of es::window_span from the
// window's corner, since GL clips it to the window only.
Viewport_map window_map(const float lo[2], const float hi[2]);

// arrays.cpp: the array named by a glEnable/glEnableClientState cap, or null.
Client_array* client_array(GLenum array);

// bitmaps.cpp: every glyph the atlas holds, uploaded again (into a new context).
void upload_atlas();

}  // namespace glfixed

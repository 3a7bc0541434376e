// The only part of glfixed that talks to OpenGL ES 2.0: shaders, one vertex buffer, the glyph
// atlas, and the few frame operations. Everything fixed-function happens before, on the CPU.
#pragma once

#include <cstdint>

namespace glfixed {
namespace es {

// A lit, transformed vertex: clip-space position, clamped colour, density times fog distance.
struct Vertex {
  float pos[4];
  float color[4];
  float fog;
};

// A corner of a bitmap's quad; u, v address the glyph atlas in texels.
struct Bitmap_vertex {
  float pos[4];
  float color[4];
  float fog;
  float uv[2];
};

// What a draw needs besides its vertices; a change between primitives ends a batch.
struct Draw_state {
  bool depth_test = false;
  float fog_color[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  int viewport[4] = {0, 0, 0, 0};
  bool operator==(const Draw_state& o) const;
  bool operator!=(const Draw_state& o) const { return !(*this == o); }
};

// Whether the layer's objects exist in the current context, made on first use. False when they
// cannot be (no context, a lost one, a shader that does not compile or link): then nothing below
// reaches ES, until remake succeeds.
bool ready();
// Forgets the objects of a lost context and makes them all in the current one.
bool remake();

// The side of a square from the window's lower left corner, larger than any window: what GL
// places in window space (bitmaps, wide lines) is drawn through it as the viewport, since GL
// clips those to the window only. A power of two, so mapping to it and back is exact.
int window_span();

void draw_triangles(const Vertex* v, int count, const Draw_state& state);
void draw_bitmaps(const Bitmap_vertex* v, int count, const Draw_state& state);

// The glyph atlas: a square single-channel texture; 255 marks a set bit.
constexpr int kAtlasSize = 512;
void atlas_upload(int x, int y, int width, int height, const std::uint8_t* texels);

void clear(unsigned mask, const float color[4]);
// Leaves rgba as it is while nothing can be read.
void read_rgba(int x, int y, int width, int height, std::uint8_t* rgba);
void finish();
void flush();
const unsigned char* get_string(unsigned name);

}  // namespace es
}  // namespace glfixed

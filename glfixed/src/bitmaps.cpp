// Bitmaps: the raster position, and glBitmap as a textured quad whose bits wait in a glyph atlas,
// uploaded once per distinct bitmap.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "internal.h"

namespace glfixed {
namespace {

// A bitmap's key holds its width, its height and its rows of bits, unpadded.
std::string glyph_key(GLsizei width, GLsizei height, const GLubyte* bits, int row_bytes) {
  std::string key(reinterpret_cast<const char*>(&width), sizeof width);
  key.append(reinterpret_cast<const char*>(&height), sizeof height);
  for (int r = 0; r < height; ++r)
    key.append(reinterpret_cast<const char*>(bits) + r * row_bytes, (width + 7) / 8);
  return key;
}

// The bits of the bitmap keyed `key` as texels of the atlas at `slot`: 255 where a bit is set.
void upload_glyph(const std::string& key, const Atlas_slot& slot) {
  GLsizei width, height;
  std::memcpy(&width, key.data(), sizeof width);
  std::memcpy(&height, key.data() + sizeof width, sizeof height);
  const auto* bits = reinterpret_cast<const GLubyte*>(key.data() + sizeof width + sizeof height);
  const int row_bytes = (width + 7) / 8;
  std::vector<std::uint8_t>& texels = st().texels;
  texels.assign(static_cast<std::size_t>(width) * height, 0);
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c)
      if (bits[r * row_bytes + c / 8] & (0x80 >> (c % 8)))
        texels[static_cast<std::size_t>(r) * width + c] = 255;
  es::atlas_upload(slot.x, slot.y, width, height, texels.data());
}

// The bitmap's place in the atlas, its bits uploaded there once per distinct bitmap.
bool atlas_slot(GLsizei width, GLsizei height, const GLubyte* bits, Atlas_slot* slot) {
  State& s = st();
  const int row_bytes =
      ((width + 7) / 8 + s.unpack_alignment - 1) / s.unpack_alignment * s.unpack_alignment;
  std::string key = glyph_key(width, height, bits, row_bytes);
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
  *slot = Atlas_slot{s.atlas_x, s.atlas_y};
  upload_glyph(key, *slot);
  s.atlas_slots.emplace(std::move(key), *slot);
  s.atlas_x += width;
  s.atlas_row = std::max(s.atlas_row, static_cast<int>(height));
  return true;
}

}  // namespace

void upload_atlas() {
  for (const auto& [key, slot] : st().atlas_slots) upload_glyph(key, slot);
}

}  // namespace glfixed

using namespace glfixed;

extern "C" {

void glRasterPos2i(GLint x, GLint y) {
  if (refused_inside_begin()) return;
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
  if (refused_inside_begin()) return;
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
    const float lo[2] = {x0, y0};
    const float hi[2] = {x0 + static_cast<float>(width), y0 + static_cast<float>(height)};
    const Viewport_map map = window_map(lo, hi);
    batch(Kind::bitmaps, map.viewport);
    es::Bitmap_vertex q[4];
    for (int i = 0; i < 4; ++i) {
      const float dx = (i == 1 || i == 2) ? static_cast<float>(width) : 0.0f;
      const float dy = (i >= 2) ? static_cast<float>(height) : 0.0f;
      q[i].pos[0] = map.to_clip(x0 + dx, 0, 1.0f);
      q[i].pos[1] = map.to_clip(y0 + dy, 1, 1.0f);
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
  if (refused_inside_begin()) return;
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

}  // extern "C"

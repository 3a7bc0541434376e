#pragma once

#include <vector>

namespace kvo {

// Draws one line of half-width ASCII and full-width Japanese text at a window pixel position
// (origin top-left, y down) from a square bitmap font decoded into memory.
class glKanji {
 public:
  // Largest glyph edge load accepts; keeps the byte arithmetic far from int overflow.
  static constexpr int max_font_size = 256;

  explicit glKanji(int _code);
  glKanji(const char* filename, int _code);
  ~glKanji();
  glKanji(const glKanji&) = delete;
  glKanji& operator=(const glKanji&) = delete;

  void init();
  bool load(const char* filename);
  const unsigned char* getChar(int index);
  void print(int x, int y, const char* str);

  // The glyphs print draws for `str`, in order, without GL: `visit` gets each glyph's index
  // into the font and whether it is full width. Characters the font lacks are skipped.
  using GlyphVisitor = void (*)(void* context, int index, bool wide);
  void walk(const char* str, GlyphVisitor visit, void* context) const;
  // How far print moves the raster position for `str`, in pixels.
  int width(const char* str) const;

  int font_size;
  int glyph_bytes;
  int glyph_count;
  int code;  // 0 = Shift-JIS, 1 = EUC-JP, other = JIS bytes as they are
  std::vector<unsigned char> glyphs;
};

}  // namespace kvo

#include "gfx/glkanji.h"

// PLACEHOLDER: replaced by the renderer implementation.
namespace kvo {
glKanji::glKanji(int _code) : font_size(0), glyph_bytes(0), glyph_count(0), code(_code) {}
glKanji::~glKanji() {}
bool glKanji::load(const char*) {
  return false;
}
void glKanji::print(int, int, const char*) {}
}  // namespace kvo

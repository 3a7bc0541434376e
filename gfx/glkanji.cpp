#include "gfx/glkanji.h"

#include <GL/gl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "gfx/matrix_scope.h"

namespace kvo {
namespace {

// Standard Shift-JIS to JIS X 0208 row/cell conversion, byte arithmetic modulo 256.
void sjis2jis(unsigned char& c1, unsigned char& c2) {
  if (c1 >= 0xE0) c1 = static_cast<unsigned char>(c1 - 0x40);
  if (c2 >= 0x80) c2 = static_cast<unsigned char>(c2 - 1);
  if (c2 >= 0x9E) {
    c1 = static_cast<unsigned char>(2 * c1 - 0xE0);
    c2 = static_cast<unsigned char>(c2 - 0x7D);
  } else {
    c1 = static_cast<unsigned char>(2 * c1 - 0xE1);
    c2 = static_cast<unsigned char>(c2 - 0x1F);
  }
}

void euc2jis(unsigned char& c1, unsigned char& c2) {
  c1 = static_cast<unsigned char>(c1 + 0x80);
  c2 = static_cast<unsigned char>(c2 + 0x80);
}

// The C library's isprint in the "C" locale, without depending on the current locale.
bool is_single_byte(unsigned char c) {
  return c >= 0x20 && c <= 0x7E;
}

}  // namespace

glKanji::glKanji(int _code) : font_size(0), glyph_bytes(0), glyph_count(0), code(_code) {}

glKanji::glKanji(const char* filename, int _code) : glKanji(_code) {
  load(filename);
}

glKanji::~glKanji() = default;

void glKanji::init() {
  font_size = 0;
  glyph_bytes = 0;
  glyph_count = 0;
}

bool glKanji::load(const char* filename) {
  if (filename == nullptr) return false;

  std::vector<unsigned char>().swap(glyphs);
  font_size = 0;
  glyph_bytes = 0;
  // A failed load must not leave a count that points into the now empty store.
  glyph_count = 0;

  // A UTF-8 name, opened by its wide form where the system's file names are wide.
  std::ifstream in(std::filesystem::u8path(filename), std::ios::binary);
  if (!in) return false;

  unsigned char head[4];
  if (!in.read(reinterpret_cast<char*>(head), 4)) return false;
  const unsigned int size_bits =
      static_cast<unsigned int>(head[0]) | (static_cast<unsigned int>(head[1]) << 8) |
      (static_cast<unsigned int>(head[2]) << 16) | (static_cast<unsigned int>(head[3]) << 24);
  const int size = static_cast<int>(size_bits);
  if (size <= 0 || size > max_font_size) return false;
  font_size = size;
  const int row_bits = ((font_size - 1) / 8) * 8 + 8;
  glyph_bytes = font_size * row_bits / 8;

  // The packets, read in one go: byte-by-byte reading of the whole font delays the first frame.
  std::vector<unsigned char> packed;
  char chunk[65536];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
    packed.insert(packed.end(), chunk, chunk + in.gcount());
  std::size_t at = 0;
  const auto next = [&packed, &at]() { return at < packed.size() ? int{packed[at++]} : EOF; };

  // A packet cut short by the end of the file is completed with the last data byte read.
  int last = 0;
  int n;
  while ((n = next()) != EOF) {
    if (n < 0x80) {
      for (int i = 0; i <= n; ++i) {
        const int c = next();
        if (c != EOF) last = c;
        glyphs.push_back(static_cast<unsigned char>(last));
      }
    } else {
      const int c = next();
      if (c != EOF) last = c;
      glyphs.insert(glyphs.end(), static_cast<std::size_t>(n - 127),
                    static_cast<unsigned char>(last));
    }
  }

  glyph_count = static_cast<int>(glyphs.size() / static_cast<unsigned int>(glyph_bytes));
  return true;
}

const unsigned char* glKanji::getChar(int index) {
  return glyphs.data() + static_cast<std::ptrdiff_t>(index) * glyph_bytes;
}

void glKanji::walk(const char* str, GlyphVisitor visit, void* context) const {
  if (str == nullptr || glyphs.empty()) return;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(str);
  while (*p != 0) {
    if (is_single_byte(*p)) {
      const int index = *p;
      if (index < glyph_count) visit(context, index, false);
      ++p;
      continue;
    }
    unsigned char c1 = p[0];
    unsigned char c2 = p[1];
    // A lead byte right before the terminator is half a character: nothing to draw.
    if (c2 == 0) break;
    if (code == 0)
      sjis2jis(c1, c2);
    else if (code == 1)
      euc2jis(c1, c2);
    const int index = c1 * 96 + c2 - 2849;
    if (index >= 0 && index < glyph_count) visit(context, index, true);
    p += 2;
  }
}

int glKanji::width(const char* str) const {
  struct Sum {
    int half, full, total;
  } sum{font_size / 2, font_size, 0};
  walk(
      str,
      [](void* context, int, bool wide) {
        Sum* s = static_cast<Sum*>(context);
        s->total += wide ? s->full : s->half;
      },
      &sum);
  return sum.total;
}

void glKanji::print(int x, int y, const char* str) {
  if (str == nullptr || glyphs.empty()) return;

  MatrixSaver modelview(GL_MODELVIEW_MATRIX);
  MatrixSaver projection(GL_PROJECTION_MATRIX);
  ScreenMatrix screen;

  glRasterPos2i(x, y + font_size);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

  walk(
      str,
      [](void* context, int index, bool wide) {
        glKanji* font = static_cast<glKanji*>(context);
        const GLfloat size = static_cast<GLfloat>(font->font_size);
        const GLfloat half = static_cast<GLfloat>(font->font_size / 2);
        if (wide)
          glBitmap(font->font_size, font->font_size, 0.0f, 0.0f, size, 0.0f, font->getChar(index));
        else
          glBitmap(font->font_size, font->font_size, half, 0.0f, half, 0.0f, font->getChar(index));
      },
      this);
}

}  // namespace kvo

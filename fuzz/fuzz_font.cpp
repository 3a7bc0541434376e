// Font files of any bytes, then strings of any bytes and our own texts in both encodings,
// measured and walked glyph by glyph as print draws them (every glyph's bitmap is read whole).
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gfx/glkanji.h"

namespace {

std::string g_font_path, g_dir;

// "ゲームオーバー" and "ＶＯＲＮＡ　ｖ１" in Shift-JIS and EUC-JP, with ASCII between.
const char* const kTexts[] = {
    "\x83\x51\x81\x5B\x83\x80\x83\x49\x81\x5B\x83\x6F\x81\x5B SCORE 123",
    "\x82\x75\x82\x6E\x82\x71\x82\x6D\x82\x60\x81\x40\x82\x96\x82\x50",
    "\xA5\xB2\xA1\xBC\xA5\xE0\xA5\xAA\xA1\xBC\xA5\xD0\xA1\xBC SCORE 123",
    "\xA3\xD6\xA3\xCF\xA3\xD2\xA3\xCE\xA3\xC1\xA1\xA1\xA3\xF6\xA3\xB1",
    "\xFF\xFF\x80\x80\x01\x7F\x9F\xFC\xE0",
};

struct Reader {
  const kvo::glKanji* font;
  unsigned sum;
};

void read_glyph(void* context, int index, bool) {
  Reader* r = static_cast<Reader*>(context);
  if (index < 0 || index >= r->font->glyph_count) std::abort();
  const unsigned char* bits = r->font->glyphs.data() + std::size_t(index) * r->font->glyph_bytes;
  for (int i = 0; i < r->font->glyph_bytes; ++i) r->sum += bits[i];
}

void exercise(const kvo::glKanji& font, const char* text) {
  Reader reader{&font, 0};
  font.walk(text, read_glyph, &reader);
  const int width = font.width(text);
  if (width < 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // On tmpfs when there is one: a disk file rewritten in place is flushed at every close.
  std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  pattern += "/vorna-fuzz-font-XXXXXX";
  char* dir = pattern.data();
  if (mkdtemp(dir) == nullptr) std::abort();
  g_font_path = std::string(dir) + "/font.f1b";
  g_dir = dir;
  std::atexit([] {
    unlink(g_font_path.c_str());
    rmdir(g_dir.c_str());
  });
  return 0;
}

// Layout: [encoding] [string length n] [n string bytes] [font file bytes].
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int code = data[0] % 3;
  const size_t n = std::min<size_t>(data[1], size - 2);
  const std::string text(reinterpret_cast<const char*>(data + 2), n);

  std::FILE* fp = std::fopen(g_font_path.c_str(), "wb");
  if (fp == nullptr) std::abort();
  std::fwrite(data + 2 + n, 1, size - 2 - n, fp);
  std::fclose(fp);

  kvo::glKanji font(code);
  const bool loaded = font.load(g_font_path.c_str());
  if (!loaded && (!font.glyphs.empty() || font.glyph_count != 0)) std::abort();
  if (font.glyph_bytes > 0 &&
      static_cast<size_t>(font.glyph_count) * font.glyph_bytes > font.glyphs.size())
    std::abort();

  exercise(font, text.c_str());
  for (const char* t : kTexts) exercise(font, t);
  return 0;
}

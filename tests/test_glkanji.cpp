// The kanji renderer: font decoding, unusable files, and what print draws in a real GL context.
// The "id font" draws each glyph's index, so the chosen glyph and its cell show on the screen.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "gfx/glkanji.h"
#include "support/gl_window.h"

namespace {

using Bytes = std::vector<unsigned char>;

void write_file(const std::string& name, const Bytes& b) {
  std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

// The little-endian size header, then each byte of `decoded` in a one-byte literal packet.
void write_font(const std::string& name, std::int32_t size, const Bytes& decoded) {
  Bytes file;
  for (int s = 0; s < 32; s += 8)
    file.push_back(static_cast<unsigned char>(static_cast<std::uint32_t>(size) >> s));
  for (unsigned char b : decoded) file.insert(file.end(), {0, b});
  write_file(name, file);
}

// 16-pixel glyphs: the bottom row solid marks the cell, row k + 1 holds bit k of the index.
void write_id_font(const std::string& name, int count) {
  Bytes d(static_cast<std::size_t>(count) * 32, 0);
  for (int i = 0; i < count; ++i)
    for (int k = -1; k < 14; ++k)
      if (k < 0 || ((i >> k) & 1)) d[i * 32 + (k + 1) * 2] = d[i * 32 + (k + 1) * 2 + 1] = 0xFF;
  write_font(name, 16, d);
}

gltest::Frame draw(kvo::glKanji& k, int x, int y, const char* s) {
  gltest::open_window(500, 500);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(0, 0, 0);
  k.print(x, y, s);
  return gltest::read_back_buffer();
}

// The id-font glyph whose cell covers column x of a line printed at y, or -1 for none.
std::vector<int> glyphs_at(const gltest::Frame& f, int y, std::initializer_list<int> xs) {
  std::vector<int> out;
  for (int x : xs) {
    int index = 0;
    for (int k = 0; k < 14; ++k) index |= gltest::is_dark(f.at(x, y + 14 - k)) << k;
    out.push_back(gltest::is_dark(f.at(x, y + 15)) ? index : -1);
  }
  return out;
}
using Ids = std::vector<int>;

int dark(const gltest::Frame& f, int x0 = 0, int y0 = 0) {
  return f.count(x0, y0, f.width, f.height, gltest::is_dark);
}

TEST(GlKanjiLoad, DecodesPacketsAndCountsGlyphs) {
  Bytes file = {1, 0, 0, 0};  // 1-pixel glyphs: one byte each, so the store is the decoded data
  Bytes expect;
  auto add = [&](Bytes packet, Bytes out) {
    file.insert(file.end(), packet.begin(), packet.end());
    expect.insert(expect.end(), out.begin(), out.end());
  };
  add({0x02, 'a', 'b', 'c'}, {'a', 'b', 'c'});
  add({0x00, 'a'}, {'a'});
  add({0x83, 'v'}, Bytes(4, 'v'));
  add({0x80, 'w'}, {'w'});
  add({0xFF, 'x'}, Bytes(128, 'x'));
  Bytes literal(129);
  std::iota(literal.begin(), literal.end(), 0x7F);  // control byte 0x7F, then 0x80..0xFF
  add(literal, Bytes(literal.begin() + 1, literal.end()));
  add({0x05, 'p', 'q'}, {'p', 'q', 'q', 'q', 'q', 'q'});  // cut short by the end of the file
  write_file("packets.f1b", file);
  kvo::glKanji k(0);
  ASSERT_TRUE(k.load("packets.f1b"));
  EXPECT_EQ(k.glyphs, expect);
  write_file("repeat_cut.f1b", {1, 0, 0, 0, 0x01, 'm', 'n', 0x84});  // repeat lacks its byte
  ASSERT_TRUE(k.load("repeat_cut.f1b"));
  EXPECT_EQ(k.glyphs, (Bytes{'m', 'n', 'n', 'n', 'n', 'n', 'n'}));

  // 1000 bytes of 16-pixel glyphs are 31 whole ones; rows round up to whole bytes.
  write_font("thousand.f1b", 16, Bytes(1000, 0x5A));
  ASSERT_TRUE(k.load("thousand.f1b"));
  EXPECT_EQ(k.glyph_count, 31);
  for (auto [size, bytes] : {std::pair{16, 32}, {9, 18}, {24, 72}, {256, 8192}}) {
    write_font("size.f1b", size, Bytes(bytes * 2, 1));
    ASSERT_TRUE(k.load("size.f1b")) << size;
    EXPECT_EQ(k.glyph_bytes, bytes) << size;
    EXPECT_EQ(k.glyph_count, 2) << size;
  }
}

TEST(GlKanjiLoad, UnusableFilesLeaveARendererThatDrawsNothing) {
  write_id_font("good.f1b", 300);
  write_file("short.f1b", {16, 0, 0});
  // 0, negative, and sizes no bitmap font has; the last two would overflow the byte arithmetic.
  std::vector<std::string> bad = {"missing.f1b", "short.f1b", "."};  // "." is a folder
  for (std::int32_t size : {0, -16, 257, 46341, 0x7FFFFFFF}) {
    bad.push_back("size" + std::to_string(size) + ".f1b");
    write_font(bad.back(), size, {0xFF, 0xFF, 0xFF});
  }
  kvo::glKanji k(0);
  ASSERT_TRUE(k.load("good.f1b"));
  EXPECT_FALSE(k.load(nullptr));
  EXPECT_EQ(k.glyph_count, 300);  // a null name changes nothing
  for (const std::string& name : bad) {
    ASSERT_TRUE(k.load("good.f1b"));
    EXPECT_FALSE(k.load(name.c_str())) << name;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    EXPECT_EQ(dark(draw(k, 100, 100, "AB\x82\xA0")), 0) << name;
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << name << ": print must return before touching GL";
  }
  kvo::glKanji from_null(nullptr, 0);
  EXPECT_EQ(dark(draw(from_null, 100, 100, "AB")), 0);
}

TEST(GlKanjiPrint, PlacesHalfAndFullWidthCellsAndMapsEncodings) {
  write_id_font("id.f1b", 8414);  // through the last JIS row
  kvo::glKanji k("id.f1b", 0);

  // "A" is glyph 65 in a cell half a cell left of the pen, which moves 8: B's cell 100..115.
  auto f = draw(k, 100, 40, "AB");
  EXPECT_EQ(glyphs_at(f, 40, {91, 92, 99, 108, 115, 116}), (Ids{-1, 65, 65, 66, 66, -1}));
  EXPECT_EQ(dark(f), f.count(0, 40, 500, 56, gltest::is_dark));  // nothing above or below

  // Two-byte characters: full cell at the pen, which moves 16, so "C" covers 208..223.
  for (auto [str, code, glyph] : {std::tuple{"\x82\xA0", 0, 641},
                                  {"\x83\x41", 0, 737},
                                  {"\xE0\x40", 0, 6304},
                                  {"\xA4\xA2", 1, 641},  // EUC-JP
                                  {"\nA", 0, 2081}}) {   // a newline leads a two-byte character
    kvo::glKanji kc("id.f1b", code);
    f = draw(kc, 200, 100, (std::string(str) + "C").c_str());
    EXPECT_EQ(glyphs_at(f, 100, {199, 200, 207, 216, 224}), (Ids{-1, glyph, glyph, 'C', -1}));
  }
  // Raw JIS: bytes in 0x21..0x7E are printable, so "$\"" is two single-byte characters.
  kvo::glKanji raw("id.f1b", 2);
  EXPECT_EQ(glyphs_at(draw(raw, 200, 100, "$\""), 100, {192, 215}), (Ids{'$', '"'}));

  // Past the last JIS row, below the first (DEL as lead byte): no pixels, no pen movement.
  f = draw(k, 200, 100, (std::string("\xEF\x40\x7F\x41\xFC\xFC") + "C").c_str());
  EXPECT_EQ(glyphs_at(f, 100, {191, 192, 207, 208}), (Ids{-1, 'C', 'C', -1}));

  // A lead byte right before the terminator: the walk stops there. The buffer is exactly three
  // bytes, so ASan catches a read past it; taking the zero as trail byte would draw glyph 736.
  std::vector<char> cut = {'A', '\x82', '\0'};
  f = draw(k, 200, 100, cut.data());
  EXPECT_EQ(glyphs_at(f, 100, {192}), Ids{'A'});
  EXPECT_EQ(dark(f, 208), 0);
}

}  // namespace

// The walk print uses, without GL: the same glyphs in the same order, and the pen's travel.
TEST(GlKanjiWalk, VisitsWhatPrintDrawsAndMeasuresThePen) {
  write_id_font("id.f1b", 8414);
  kvo::glKanji k("id.f1b", 0);
  std::vector<std::pair<int, bool>> seen;
  const auto collect = [](void* context, int index, bool wide) {
    static_cast<std::vector<std::pair<int, bool>>*>(context)->emplace_back(index, wide);
  };
  k.walk(
      "A\x82\xA0\xEF\x40"
      "C\x82",
      collect, &seen);
  EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{'A', false}, {641, true}, {'C', false}}));
  EXPECT_EQ(k.width("AB"), 16);
  EXPECT_EQ(k.width("\x82\xA0"
                    "C"),
            24);
  EXPECT_EQ(k.width("\xEF\x40\x7F\x41\xFC\xFC"), 0);  // nothing the font has: no travel
  EXPECT_EQ(k.width(""), 0);
  EXPECT_EQ(k.width(nullptr), 0);

  kvo::glKanji euc("id.f1b", 1);
  EXPECT_EQ(euc.width("\xA4\xA2\xA4\xA2"
                      "a"),
            40);
  kvo::glKanji empty(0);  // no font loaded: nothing visited
  seen.clear();
  empty.walk("AB", collect, &seen);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(empty.width("AB"), 0);
}

// The kanji renderer: font file decoding, bad input, and what print draws, read back from a
// real GL context. Most pixel checks use an "id font": every glyph draws its own index, so
// the glyph a character selected and where its cell landed can be read off the screen.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gfx/glkanji.h"
#include "support/gl_window.h"

namespace {

using Bytes = std::vector<unsigned char>;

void write_file(const std::string& name, const Bytes& bytes) {
  std::FILE* fp = std::fopen(name.c_str(), "wb");
  ASSERT_NE(fp, nullptr);
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), fp), bytes.size());
  std::fclose(fp);
}

Bytes header(std::int32_t size) {
  const auto u = static_cast<std::uint32_t>(size);
  return {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
          static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
}

// A font file holding `decoded` in literal packets.
void write_font(const std::string& name, std::int32_t size, const Bytes& decoded) {
  Bytes file = header(size);
  for (std::size_t i = 0; i < decoded.size(); i += 128) {
    const std::size_t n = std::min<std::size_t>(128, decoded.size() - i);
    file.push_back(static_cast<unsigned char>(n - 1));
    file.insert(file.end(), decoded.begin() + i, decoded.begin() + i + n);
  }
  write_file(name, file);
}

// 16-pixel glyphs: the bottom row is solid (the cell's presence and extent), row k + 1 from
// the bottom is solid when bit k of the glyph index is set, the top row is empty.
void write_id_font(const std::string& name, int count) {
  Bytes d(static_cast<std::size_t>(count) * 32, 0);
  for (int i = 0; i < count; ++i) {
    unsigned char* g = &d[static_cast<std::size_t>(i) * 32];
    g[0] = g[1] = 0xFF;
    for (int k = 0; k < 14; ++k)
      if ((i >> k) & 1) g[(k + 1) * 2] = g[(k + 1) * 2 + 1] = 0xFF;
  }
  write_font(name, 16, d);
}

constexpr int kJisGlyphs = 8414;  // through JIS row 0x74

void begin_frame() {
  gltest::open_window(500, 500);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(0, 0, 0);
}

// The index of the id-font glyph whose cell covers column x of a line printed at y, or -1.
int glyph_at(const gltest::Frame& f, int x, int y) {
  if (!gltest::is_dark(f.at(x, y + 15))) return -1;
  int index = 0;
  for (int k = 0; k < 14; ++k)
    if (gltest::is_dark(f.at(x, y + 14 - k))) index |= 1 << k;
  return index;
}

bool blank(const gltest::Frame& f) {
  return f.count(0, 0, f.width, f.height, gltest::is_dark) == 0;
}

TEST(GlKanjiLoad, DecodesPacketsAndCompletesOneCutShortByTheEnd) {
  Bytes file = header(1);  // 1-pixel glyphs: one byte each, so the store is the decoded data
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
  Bytes literal(128);
  for (int i = 0; i < 128; ++i) literal[i] = static_cast<unsigned char>(i * 7);
  Bytes packet = {0x7F};
  packet.insert(packet.end(), literal.begin(), literal.end());
  add(packet, literal);
  add({0x05, 'p', 'q'}, {'p', 'q', 'q', 'q', 'q', 'q'});  // four bytes short
  write_file("packets.f1b", file);

  kvo::glKanji k(0);
  ASSERT_TRUE(k.load("packets.f1b"));
  EXPECT_EQ(k.font_size, 1);
  EXPECT_EQ(k.glyph_bytes, 1);
  EXPECT_EQ(k.glyph_count, static_cast<int>(expect.size()));
  EXPECT_EQ(k.glyphs, expect);

  // A repeat packet with no data byte at all repeats the last data byte of the file.
  write_file("repeat_cut.f1b", {1, 0, 0, 0, 0x01, 'm', 'n', 0x84});
  ASSERT_TRUE(k.load("repeat_cut.f1b"));
  EXPECT_EQ(k.glyphs, (Bytes{'m', 'n', 'n', 'n', 'n', 'n', 'n'}));

  // Header only: a valid, empty font.
  write_file("empty.f1b", header(16));
  ASSERT_TRUE(k.load("empty.f1b"));
  EXPECT_TRUE(k.glyphs.empty());
  EXPECT_EQ(k.glyph_count, 0);
}

TEST(GlKanjiLoad, GlyphArithmetic) {
  // A 16-pixel font whose data decode to 1000 bytes holds 31 whole glyphs.
  write_font("thousand.f1b", 16, Bytes(1000, 0x5A));
  kvo::glKanji k("thousand.f1b", 0);
  EXPECT_EQ(k.font_size, 16);
  EXPECT_EQ(k.glyph_bytes, 32);
  EXPECT_EQ(k.glyph_count, 31);
  EXPECT_EQ(k.glyphs.size(), 1000u);  // the partial glyph stays in the store
  EXPECT_EQ(k.getChar(3), k.glyphs.data() + 96);

  // Rows are rounded up to whole bytes.
  const int sizes[][2] = {{8, 8}, {9, 18}, {10, 20}, {24, 72}, {256, 8192}};
  for (const auto& s : sizes) {
    write_font("size.f1b", s[0], Bytes(static_cast<std::size_t>(s[1]) * 2, 1));
    ASSERT_TRUE(k.load("size.f1b")) << s[0];
    EXPECT_EQ(k.glyph_bytes, s[1]) << s[0];
    EXPECT_EQ(k.glyph_count, 2) << s[0];
  }

  k.init();
  EXPECT_EQ(k.font_size, 0);
  EXPECT_EQ(k.glyph_bytes, 0);
  EXPECT_EQ(k.glyph_count, 0);
  EXPECT_EQ(k.code, 0);
  EXPECT_FALSE(k.glyphs.empty());
}

TEST(GlKanjiLoad, UnusableFilesLeaveARendererThatDrawsNothing) {
  write_id_font("good.f1b", 300);
  write_file("short.f1b", {16, 0, 0});
  write_file("zero.f1b", header(0));
  Bytes negative = header(-16);
  negative.insert(negative.end(), {0x7F, 1, 2, 3});
  write_file("negative.f1b", negative);
  // Sizes no bitmap font has; the larger ones would overflow the glyph byte arithmetic.
  for (std::int32_t size : {257, 46341, 0x7FFFFFFF}) {
    Bytes huge = header(size);
    huge.insert(huge.end(), {0xFF, 0xFF});
    write_file("huge" + std::to_string(size) + ".f1b", huge);
  }
  const char* bad[] = {"missing.f1b", "short.f1b",     "zero.f1b",          "negative.f1b",
                       "huge257.f1b", "huge46341.f1b", "huge2147483647.f1b"};

  kvo::glKanji k(0);
  ASSERT_TRUE(k.load("good.f1b"));
  const Bytes good = k.glyphs;
  // A null name changes nothing.
  EXPECT_FALSE(k.load(nullptr));
  EXPECT_EQ(k.glyphs, good);
  EXPECT_EQ(k.glyph_count, 300);

  for (const char* name : bad) {
    ASSERT_TRUE(k.load("good.f1b"));
    EXPECT_FALSE(k.load(name)) << name;
    EXPECT_TRUE(k.glyphs.empty()) << name;
    EXPECT_EQ(k.glyph_count, 0) << name;
    EXPECT_EQ(k.glyph_bytes, 0) << name;

    begin_frame();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    k.print(100, 100, "AB\x82\xA0");
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << name << ": print must return before touching GL";
    EXPECT_TRUE(blank(gltest::read_back_buffer())) << name;
  }

  // Constructed straight from an unusable file: also empty and silent.
  kvo::glKanji from_missing("missing.f1b", 0);
  EXPECT_EQ(from_missing.glyph_count, 0);
  begin_frame();
  from_missing.print(100, 100, "AB");
  k.print(100, 100, nullptr);
  EXPECT_TRUE(blank(gltest::read_back_buffer()));
}

TEST(GlKanjiPrint, PlacesHalfAndFullWidthCells) {
  write_id_font("id.f1b", kJisGlyphs);
  kvo::glKanji k("id.f1b", 0);
  ASSERT_EQ(k.glyph_count, kJisGlyphs);

  // "A": glyph 65, its cell half a cell left of the pen, the pen moving 8 pixels.
  begin_frame();
  k.print(100, 40, "AB");
  auto f = gltest::read_back_buffer();
  EXPECT_EQ(glyph_at(f, 91, 40), -1);
  EXPECT_EQ(glyph_at(f, 92, 40), 65);
  EXPECT_EQ(glyph_at(f, 99, 40), 65);
  EXPECT_EQ(glyph_at(f, 108, 40), 66);  // B's cell 100..115 overlaps A's at 100..107
  EXPECT_EQ(glyph_at(f, 115, 40), 66);
  EXPECT_EQ(glyph_at(f, 116, 40), -1);
  EXPECT_EQ(f.count(0, 0, 500, 40, gltest::is_dark), 0);    // nothing above the cell
  EXPECT_EQ(f.count(0, 56, 500, 500, gltest::is_dark), 0);  // nor below its bottom row

  // Two-byte characters: full cell at the pen, pen moving 16.
  struct Case {
    const char* str;
    int code;
    int glyph;
  };
  const Case cases[] = {
      {"\x82\xA0", 0, 641},   // あ
      {"\x83\x41", 0, 737},   // ア
      {"\xE0\x40", 0, 6304},  // JIS 0x5F21
      {"\xA4\xA2", 1, 641},   // EUC-JP あ
      {"\nA", 0, 2081},       // a newline is not a line break: it leads a two-byte character
      {"\tA", 0, 1889},
  };
  for (const Case& c : cases) {
    kvo::glKanji kc("id.f1b", c.code);
    begin_frame();
    kc.print(200, 100, (std::string(c.str) + "C").c_str());
    f = gltest::read_back_buffer();
    EXPECT_EQ(glyph_at(f, 199, 100), -1) << c.glyph;
    EXPECT_EQ(glyph_at(f, 200, 100), c.glyph);
    EXPECT_EQ(glyph_at(f, 207, 100), c.glyph);
    EXPECT_EQ(glyph_at(f, 216, 100), 'C') << c.glyph;  // C's cell 208..223 after a 16 step
    EXPECT_EQ(glyph_at(f, 223, 100), 'C') << c.glyph;
    EXPECT_EQ(glyph_at(f, 224, 100), -1) << c.glyph;
  }

  // Raw JIS: bytes in 0x21..0x7E are printable, so "$\"" is two single-byte characters.
  kvo::glKanji raw("id.f1b", 2);
  begin_frame();
  raw.print(200, 100, "\x24\x22");
  f = gltest::read_back_buffer();
  EXPECT_EQ(glyph_at(f, 192, 100), 0x24);
  EXPECT_EQ(glyph_at(f, 215, 100), 0x22);
}

TEST(GlKanjiPrint, SkipsCharactersWithoutAGlyph) {
  write_id_font("id.f1b", kJisGlyphs);
  kvo::glKanji k("id.f1b", 0);
  // Past the last JIS row (0xEF 0x40 -> glyph 9184, 0xFC 0xFC -> 11869), below the first
  // (DEL 0x41 -> -31), and raw JIS 0x01 0x01 (-2752): no pixels, no pen movement.
  const char* strs[] = {"\xEF\x40", "\xFC\xFC", "\x7F\x41", "\xEF\x40\x7F\x41\xFC\xFC"};
  for (const char* s : strs) {
    begin_frame();
    k.print(200, 100, (std::string(s) + "C").c_str());
    const auto f = gltest::read_back_buffer();
    EXPECT_EQ(glyph_at(f, 191, 100), -1) << s;
    EXPECT_EQ(glyph_at(f, 192, 100), 'C') << s;
    EXPECT_EQ(glyph_at(f, 207, 100), 'C') << s;
    EXPECT_EQ(glyph_at(f, 208, 100), -1) << s;
  }
  kvo::glKanji raw("id.f1b", 2);
  begin_frame();
  raw.print(200, 100,
            "\x01\x01"
            "C");
  EXPECT_EQ(glyph_at(gltest::read_back_buffer(), 192, 100), 'C');

  // A font with only the single-byte table drops two-byte characters and closes the gap.
  write_id_font("ascii_only.f1b", 256);
  kvo::glKanji ascii("ascii_only.f1b", 0);
  begin_frame();
  ascii.print(200, 100,
              "A\x82\xA0"
              "B");
  auto f = gltest::read_back_buffer();
  EXPECT_EQ(glyph_at(f, 192, 100), 'A');
  EXPECT_EQ(glyph_at(f, 215, 100), 'B');
  EXPECT_EQ(glyph_at(f, 216, 100), -1);

  // A lead byte right before the terminator: the half character draws nothing and the walk
  // stops there. The buffer is exactly three bytes, so reading on would be caught by ASan;
  // a walk that took the terminator as the trail byte would also draw glyph 736.
  std::unique_ptr<char[]> cut(new char[3]{'A', '\x82', '\0'});
  begin_frame();
  k.print(200, 100, cut.get());
  f = gltest::read_back_buffer();
  EXPECT_EQ(glyph_at(f, 192, 100), 'A');
  EXPECT_EQ(f.count(208, 0, 500, 500, gltest::is_dark), 0);
}

TEST(GlKanjiPrint, RestoresMatricesAndLeavesUnpackAlignment) {
  write_id_font("id.f1b", 300);
  kvo::glKanji k("id.f1b", 0);
  begin_frame();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(60.0, 1.0, 1.0, 200.0);
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1, 2, -30);
  glRotatef(30, 0, 1, 0);
  GLfloat modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glMatrixMode(GL_PROJECTION);  // the scopes leave model-view mode whatever was current

  for (const char* s : {"", "A\x82\xA0"}) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    k.print(10, 10, s);
    GLint alignment = 0, mode = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(alignment, 1);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat p[16], m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(p[i], projection[i]);
      EXPECT_EQ(m[i], modelview[i]);
    }
  }
  // Drawn in pixel space despite the 3D matrices in force.
  EXPECT_EQ(glyph_at(gltest::read_back_buffer(), 10, 10), 'A');
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

TEST(GlKanjiPrint, OddGlyphSizeUsesItsRowStrideAndHalfStep) {
  // 10-pixel glyphs: 2 bytes a row, 20 a glyph. Glyph 'A' solid, glyph 'B' empty.
  Bytes d(128 * 20, 0);
  for (int r = 0; r < 10; ++r) {
    d['A' * 20 + r * 2] = 0xFF;
    d['A' * 20 + r * 2 + 1] = 0xC0;
  }
  write_font("ten.f1b", 10, d);
  kvo::glKanji k("ten.f1b", 0);
  ASSERT_EQ(k.glyph_count, 128);
  begin_frame();
  k.print(100, 50, "BA");  // A's pen at 105, its cell from 100 to 109
  const auto f = gltest::read_back_buffer();
  EXPECT_EQ(f.count(100, 50, 110, 60, gltest::is_dark), 100);
  EXPECT_EQ(f.count(0, 0, 500, 500, gltest::is_dark), 100);
}

}  // namespace

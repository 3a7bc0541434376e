// The font the build generates (tools/mkfont), decoded with the game's own loader and checked
// against what is known of its sources: the JIS X 0208 character set and a few glyph shapes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gfx/glkanji.h"

namespace {

const std::string kFont = std::string(VORNA_RUN_DIR) + "/shnm16.f1b";

// Rows bottom first, 2 bytes a row, most significant bit leftmost.
bool pixel(const unsigned char* g, int row_from_bottom, int col) {
  return (g[row_from_bottom * 2 + col / 8] >> (7 - col % 8)) & 1;
}
bool row_empty(const unsigned char* g, int row) {
  return g[row * 2] == 0 && g[row * 2 + 1] == 0;
}
int ink(const unsigned char* g) {
  int n = 0;
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) n += pixel(g, r, c);
  return n;
}

// The JIS X 0208:1990 character set, row byte j1, cell byte j2 (6879 characters).
bool in_jis_x0208(int j1, int j2) {
  auto in = [j2](int a, int b) { return j2 >= a && j2 <= b; };
  switch (j1) {
    case 0x21:
      return in(0x21, 0x7E);
    case 0x22:
      return in(0x21, 0x2E) || in(0x3A, 0x41) || in(0x4A, 0x50) || in(0x5C, 0x6A) ||
             in(0x72, 0x79) || j2 == 0x7E;
    case 0x23:
      return in(0x30, 0x39) || in(0x41, 0x5A) || in(0x61, 0x7A);
    case 0x24:
      return in(0x21, 0x73);
    case 0x25:
      return in(0x21, 0x76);
    case 0x26:
      return in(0x21, 0x38) || in(0x41, 0x58);
    case 0x27:
      return in(0x21, 0x41) || in(0x51, 0x71);
    case 0x28:
      return in(0x21, 0x40);
    case 0x4F:
      return in(0x21, 0x53);
    case 0x74:
      return in(0x21, 0x26);
    default:
      return j1 >= 0x30 && j1 <= 0x73 && in(0x21, 0x7E);
  }
}

class GeneratedFont : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(font.load(kFont.c_str())) << kFont; }
  const unsigned char* jis(int code) {
    return font.getChar((code >> 8) * 96 + (code & 0xFF) - 2849);
  }

  kvo::glKanji font{0};
};

TEST_F(GeneratedFont, SizeAndCount) {
  EXPECT_EQ(font.font_size, 16);
  EXPECT_EQ(font.glyph_bytes, 32);
  EXPECT_EQ(font.glyph_count, 8414);  // the last JIS row ends at glyph 8413
  EXPECT_EQ(font.glyphs.size(), 8414u * 32);

  // Run-length coded: far smaller than the decoded store.
  std::FILE* fp = std::fopen(kFont.c_str(), "rb");
  ASSERT_NE(fp, nullptr);
  std::fseek(fp, 0, SEEK_END);
  const long bytes = std::ftell(fp);
  std::fclose(fp);
  EXPECT_LT(bytes, 8414L * 32 * 9 / 10);
}

TEST_F(GeneratedFont, GlyphsExactlyWhereTheCharactersAre) {
  // Single-byte table: printable ASCII only, each glyph in the right half of its cell.
  for (int c = 0; c < 256; ++c) {
    const unsigned char* g = font.getChar(c);
    if (c > 0x20 && c < 0x7F) {
      EXPECT_GT(ink(g), 0) << c;
      for (int r = 0; r < 16; ++r) EXPECT_EQ(g[r * 2], 0) << "left half of " << c;
    } else {
      EXPECT_EQ(ink(g), 0) << c;
    }
  }
  // Two-byte slots: ink for every JIS X 0208 character but the ideographic space, none in the
  // unreachable row 0x20, the two spare slots of each row or the unassigned codes.
  int drawn = 0;
  for (int index = 256; index < font.glyph_count; ++index) {
    const int j1 = 0x20 + (index - 256) / 96;
    const int j2 = 0x21 + (index - 256) % 96;
    const bool assigned = j1 >= 0x21 && j2 <= 0x7E && in_jis_x0208(j1, j2);
    const int n = ink(font.getChar(index));
    if (assigned && !(j1 == 0x21 && j2 == 0x21)) {
      EXPECT_GT(n, 0) << std::hex << j1 << ' ' << j2;
      ++drawn;
    } else {
      EXPECT_EQ(n, 0) << std::hex << j1 << ' ' << j2;
    }
  }
  EXPECT_EQ(drawn, 6878);
}

TEST_F(GeneratedFont, KnownShapes) {
  // Rows are stored bottom first: '_' has ink only near the bottom, '^' only near the top.
  for (int r = 4; r < 16; ++r) EXPECT_TRUE(row_empty(font.getChar('_'), r)) << r;
  for (int r = 0; r < 10; ++r) EXPECT_TRUE(row_empty(font.getChar('^'), r)) << r;

  // Box drawing (JIS 0x2821..0x2823) spans the whole cell: a line to each edge it touches.
  const unsigned char* h = jis(0x2821);  // ─
  bool full_row = false;
  for (int r = 0; r < 16; ++r) full_row = full_row || (h[r * 2] == 0xFF && h[r * 2 + 1] == 0xFF);
  EXPECT_TRUE(full_row);
  const unsigned char* v = jis(0x2822);  // │
  for (int r = 0; r < 16; ++r) EXPECT_FALSE(row_empty(v, r)) << r;
  // ┌: the arm runs to the right edge, not the left; the stem to the bottom, not the top.
  const unsigned char* corner = jis(0x2823);
  bool right = false, left = false;
  for (int r = 0; r < 16; ++r) {
    right = right || pixel(corner, r, 15);
    left = left || pixel(corner, r, 0);
  }
  EXPECT_TRUE(right);
  EXPECT_FALSE(left);
  EXPECT_FALSE(row_empty(corner, 0));
  EXPECT_TRUE(row_empty(corner, 15));

  // 一 (0x306C): one horizontal stroke across most of the cell.
  const unsigned char* one = jis(0x306C);
  int rows = 0;
  int widest = 0;
  for (int r = 0; r < 16; ++r) {
    if (row_empty(one, r)) continue;
    ++rows;
    int w = 0;
    for (int c = 0; c < 16; ++c) w += pixel(one, r, c);
    widest = std::max(widest, w);
  }
  EXPECT_LE(rows, 2);
  EXPECT_GE(widest, 12);
}

}  // namespace

// The font tools/mkfont generates, decoded with the game's loader: glyph counts and shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "gfx/glkanji.h"
#include "screens/texts.h"

namespace {

// Rows bottom first, 2 bytes a row, most significant bit leftmost.
bool pixel(const unsigned char* g, int row, int col) {
  return (g[row * 2 + col / 8] >> (7 - col % 8)) & 1;
}
int ink(const unsigned char* g, int row0 = 0, int row1 = 16, int col0 = 0, int col1 = 16) {
  int n = 0;
  for (int r = row0; r < row1; ++r)
    for (int c = col0; c < col1; ++c) n += pixel(g, r, c);
  return n;
}

TEST(GeneratedFont, DecodesToTheKnownGlyphs) {
  kvo::glKanji font(0);
  ASSERT_TRUE(font.load((std::string(VORNA_RUN_DIR) + "/shnm16.f1b").c_str()));
  EXPECT_EQ(font.glyph_count, 8414);  // 16-pixel glyphs; the last JIS row ends at glyph 8413
  auto jis = [&](int code) { return font.getChar((code >> 8) * 96 + (code & 0xFF) - 2849); };

  // Printable ASCII only, each glyph in the right half of its cell.
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(ink(font.getChar(c)) > 0, c > 0x20 && c < 0x7F) << c;
    EXPECT_EQ(ink(font.getChar(c), 0, 16, 0, 8), 0) << c;
  }

  // Every JIS X 0208 character but the ideographic space (6879 in all) has ink.
  int drawn = 0;
  for (int i = 256; i < font.glyph_count; ++i) drawn += ink(font.getChar(i)) > 0;
  EXPECT_EQ(drawn, 6878);
  EXPECT_EQ(ink(jis(0x2121)), 0);
  // Pinning the slots: ─ (0x2821) reaches the left and right edges, │ (0x2822) bottom and top.
  EXPECT_TRUE(ink(jis(0x2821), 0, 16, 0, 1) && ink(jis(0x2821), 0, 16, 15, 16));
  EXPECT_TRUE(ink(jis(0x2822), 0, 1) && ink(jis(0x2822), 15, 16));
  // ┌ (0x2823): the arm reaches the right edge, the stem leaves the top row empty.
  const unsigned char* corner = jis(0x2823);
  EXPECT_GT(ink(corner, 0, 16, 15, 16), 0);
  EXPECT_EQ(ink(corner, 15, 16), 0);
}

// The web build's font: every glyph the on-screen texts draw, as the full font has it, and
// nothing else (blank slots, ending at the last glyph used).
TEST(GeneratedFont, WebFontHoldsTheGlyphsOfTheTextsAlone) {
  kvo::glKanji full(0);
  kvo::glKanji web(0);
  ASSERT_TRUE(full.load((std::string(VORNA_RUN_DIR) + "/shnm16.f1b").c_str()));
  ASSERT_TRUE(web.load(VORNA_WEB_FONT));
  std::vector<const char*> all(texts::story, texts::story + texts::story_lines);
  all.insert(all.end(), {texts::title, texts::subtitle, texts::start_hint, texts::quit_hint,
                         texts::gameover_line, texts::gameover, texts::restart_hint});
  std::set<int> used;
  for (const char* text : all) {
    full.walk(
        text, [](void* set, int index, bool) { static_cast<std::set<int>*>(set)->insert(index); },
        &used);
    EXPECT_EQ(web.width(text), full.width(text)) << text;
  }
  ASSERT_GT(used.size(), 50u);
  EXPECT_EQ(web.glyph_count, *used.rbegin() + 1);
  for (int i = 0; i < web.glyph_count; ++i) {
    if (used.count(i) != 0)
      EXPECT_TRUE(std::equal(web.getChar(i), web.getChar(i) + 32, full.getChar(i))) << i;
    else
      EXPECT_EQ(ink(web.getChar(i)), 0) << i;
  }
}

}  // namespace

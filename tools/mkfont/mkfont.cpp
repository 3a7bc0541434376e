// Builds the game's run-length-coded 16-dot bitmap font from the Shinonome PCF fonts:
// the JIS X 0208 font for the two-byte glyphs and the 8x16 Latin-1 font for printable ASCII.
//
//   mkfont <jis16.pcf.gz> <ascii8x16.pcf.gz> <out.f1b> [<texts>]
//
// Given a file of texts (Shift-JIS, one a line), the font keeps only the glyphs those texts use:
// the others stay blank and the store ends at the last glyph used, so a page downloads a few
// kilobytes instead of the whole character set.
//
// Output: glyph edge length (int32, little-endian), then packets: control n < 0x80 is followed
// by n + 1 literal bytes, n >= 0x80 by one byte repeated n - 127 times. Decoded, glyph i takes
// 32 bytes: 16 rows bottom first, 2 bytes a row, most significant bit leftmost. Glyphs 0-255
// are the single-byte table; the JIS character (j1, j2) is glyph j1 * 96 + j2 - 2849.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kCell = 16;
constexpr int kRowBytes = 2;
constexpr int kGlyphBytes = kCell * kRowBytes;
constexpr int kLastJisRow = 0x74;
constexpr int jis_glyph_index(int j1, int j2) {
  return j1 * 96 + j2 - 2849;
}

// Through the last cell of the last JIS row.
constexpr int kGlyphCount = jis_glyph_index(kLastJisRow, 0x7E) + 1;

class Font {
 public:
  Font(FT_Library lib, const char* path, bool raw_charmap) {
    if (FT_New_Face(lib, path, 0, &face_) != 0) {
      std::fprintf(stderr, "mkfont: cannot open %s\n", path);
      face_ = nullptr;
      return;
    }
    if (face_->num_fixed_sizes < 1 || FT_Select_Size(face_, 0) != 0) {
      std::fprintf(stderr, "mkfont: %s has no bitmap strike\n", path);
      close();
      return;
    }
    // The JIS font's only charmap has no known encoding, so FreeType activates none: raw
    // JIS codes reach the glyphs once it is selected by hand.
    if (raw_charmap || face_->charmap == nullptr) {
      if (face_->num_charmaps < 1 || FT_Set_Charmap(face_, face_->charmaps[0]) != 0) {
        std::fprintf(stderr, "mkfont: %s has no usable charmap\n", path);
        close();
        return;
      }
    }
    ascent_ = static_cast<int>(face_->size->metrics.ascender >> 6);
  }
  ~Font() { close(); }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  bool ok() const { return face_ != nullptr; }

  // Renders character `code` into a 16x16 cell whose left edge is column `x_offset`.
  // Returns false if the font has no glyph for the code.
  bool render(unsigned long code, int x_offset, unsigned char* cell) {
    const FT_UInt gi = FT_Get_Char_Index(face_, code);
    if (gi == 0) return false;
    if (FT_Load_Glyph(face_, gi, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return false;
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_MONO || bm.pitch < 0) return false;
    for (unsigned int r = 0; r < bm.rows; ++r) {
      const int top_row = ascent_ - slot->bitmap_top + static_cast<int>(r);
      if (top_row < 0 || top_row >= kCell) continue;
      unsigned char* row = cell + (kCell - 1 - top_row) * kRowBytes;
      for (unsigned int x = 0; x < bm.width; ++x) {
        const int col = x_offset + slot->bitmap_left + static_cast<int>(x);
        if (col < 0 || col >= kCell) continue;
        if ((bm.buffer[r * static_cast<unsigned int>(bm.pitch) + x / 8] >> (7 - x % 8)) & 1)
          row[col / 8] |= static_cast<unsigned char>(0x80 >> (col % 8));
      }
    }
    return true;
  }

  int strike_height() const { return face_->available_sizes[0].height; }

 private:
  void close() {
    if (face_ != nullptr) FT_Done_Face(face_);
    face_ = nullptr;
  }

  FT_Face face_ = nullptr;
  int ascent_ = 0;
};

// The glyphs a file of Shift-JIS texts draws, walked as the game's renderer walks a line:
// printable ASCII takes one byte, any other byte starts a two-byte character. Empty when the
// file cannot be read.
std::vector<bool> glyphs_of_texts(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
  std::vector<bool> used(kGlyphCount, false);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned c1 = bytes[i];
    if (c1 == '\n' || c1 == '\r') continue;
    if (c1 >= 0x20 && c1 <= 0x7E) {
      used[c1] = true;
      continue;
    }
    if (i + 1 >= bytes.size()) break;
    unsigned c2 = bytes[++i];
    // Shift-JIS to JIS X 0208, the standard mapping.
    if (c1 >= 0xE0) c1 -= 0x40;
    if (c2 >= 0x80) c2 -= 1;
    if (c2 >= 0x9E) {
      c1 = 2 * c1 - 0xE0;
      c2 -= 0x7D;
    } else {
      c1 = 2 * c1 - 0xE1;
      c2 -= 0x1F;
    }
    const int index = jis_glyph_index(static_cast<int>(c1 & 0xFF), static_cast<int>(c2 & 0xFF));
    if (index >= 0 && index < kGlyphCount) used[static_cast<std::size_t>(index)] = true;
  }
  used[0] = true;  // never an empty set: the store then still holds a whole glyph
  return used;
}

// Blanks every glyph the texts do not use and ends the store at the last one they do.
void keep_only(std::vector<unsigned char>& store, const std::vector<bool>& used) {
  std::size_t end = 0;
  for (std::size_t g = 0; g < used.size(); ++g) {
    if (used[g])
      end = g + 1;
    else
      std::fill_n(store.begin() + static_cast<std::ptrdiff_t>(g * kGlyphBytes), kGlyphBytes, 0);
  }
  store.resize(end * kGlyphBytes);
}

// Greedy run-length coding: every run of two or more equal bytes becomes a repeat packet,
// everything else goes out in literal packets of up to 128 bytes.
std::vector<unsigned char> encode(const std::vector<unsigned char>& data) {
  std::vector<unsigned char> out;
  std::size_t i = 0;
  std::vector<unsigned char> literal;
  auto flush = [&]() {
    if (literal.empty()) return;
    out.push_back(static_cast<unsigned char>(literal.size() - 1));
    out.insert(out.end(), literal.begin(), literal.end());
    literal.clear();
  };
  while (i < data.size()) {
    std::size_t run = 1;
    while (i + run < data.size() && run < 128 && data[i + run] == data[i]) ++run;
    if (run >= 2) {
      flush();
      out.push_back(static_cast<unsigned char>(run + 127));
      out.push_back(data[i]);
      i += run;
    } else {
      literal.push_back(data[i]);
      if (literal.size() == 128) flush();
      ++i;
    }
  }
  flush();
  return out;
}

bool write_file(const std::string& path, const std::vector<unsigned char>& packets) {
  // Written beside the target and renamed, so an interrupted build never leaves half a font.
  const std::string tmp = path + ".tmp";
  std::FILE* fp = std::fopen(tmp.c_str(), "wb");
  if (fp == nullptr) return false;
  const unsigned char head[4] = {kCell, 0, 0, 0};
  bool ok = std::fwrite(head, 1, 4, fp) == 4 &&
            std::fwrite(packets.data(), 1, packets.size(), fp) == packets.size();
  ok = (std::fclose(fp) == 0) && ok;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: mkfont <jis16.pcf.gz> <ascii8x16.pcf.gz> <out.f1b> [<texts>]\n");
    return 2;
  }
  std::vector<bool> used;
  if (argc == 5 && (used = glyphs_of_texts(argv[4])).empty()) {
    std::fprintf(stderr, "mkfont: cannot read %s\n", argv[4]);
    return 1;
  }
  FT_Library lib;
  if (FT_Init_FreeType(&lib) != 0) {
    std::fprintf(stderr, "mkfont: FreeType failed to start\n");
    return 1;
  }
  int status = 1;
  {
    Font jis(lib, argv[1], true);
    Font ascii(lib, argv[2], false);
    if (jis.ok() && ascii.ok()) {
      if (jis.strike_height() != kCell || ascii.strike_height() != kCell) {
        std::fprintf(stderr, "mkfont: expected 16-pixel fonts\n");
      } else {
        std::vector<unsigned char> store(static_cast<std::size_t>(kGlyphCount) * kGlyphBytes, 0);
        int single = 0;
        int doubles = 0;
        // Half-width glyphs sit in the right half of their cell: the renderer places the cell
        // half a cell left of the pen, so that half lands on the character's own step.
        for (int c = 0x20; c <= 0x7E; ++c)
          if (ascii.render(static_cast<unsigned long>(c), kCell / 2,
                           &store[static_cast<std::size_t>(c) * kGlyphBytes]))
            ++single;
        for (int j1 = 0x21; j1 <= kLastJisRow; ++j1)
          for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            const std::size_t at = static_cast<std::size_t>(jis_glyph_index(j1, j2)) * kGlyphBytes;
            if (jis.render(static_cast<unsigned long>(j1 << 8 | j2), 0, &store[at])) ++doubles;
          }
        if (!used.empty()) keep_only(store, used);
        const std::vector<unsigned char> packets = encode(store);
        if (single != 0x7F - 0x20 || doubles == 0) {
          std::fprintf(stderr, "mkfont: glyphs missing (%d single-byte, %d two-byte)\n", single,
                       doubles);
        } else if (!write_file(argv[3], packets)) {
          std::fprintf(stderr, "mkfont: cannot write %s\n", argv[3]);
        } else {
          std::printf("mkfont: %d single-byte and %d two-byte glyphs, %zu slots%s, %zu bytes\n",
                      single, doubles, store.size() / kGlyphBytes,
                      used.empty() ? "" : " (only the texts' glyphs drawn)", packets.size() + 4);
          status = 0;
        }
      }
    }
  }
  FT_Done_FreeType(lib);
  return status;
}

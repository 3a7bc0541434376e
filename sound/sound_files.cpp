#include "sound/sound_files.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace sound_files {
namespace {

uint32_t le16(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}
uint32_t le32(const unsigned char* p) {
  return le16(p) | le16(p + 2) << 16;
}
uint32_t be16(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]);
}
uint32_t be32(const unsigned char* p) {
  return be16(p) << 16 | be16(p + 2);
}
bool tag(const unsigned char* p, const char* name) {
  return std::memcmp(p, name, 4) == 0;
}

bool printable_tag(const unsigned char* p) {
  for (int i = 0; i < 4; ++i)
    if (p[i] < 0x20 || p[i] > 0x7E) return false;
  return true;
}

enum : uint32_t {
  kPcm = 0x0001,
  kFloat = 0x0003,
  kALaw = 0x0006,
  kMuLaw = 0x0007,
  kExtensible = 0xFFFE,
};

// The fields of a format chunk that decoders compute with.
bool wave_format_ok(const unsigned char* fmt, uint32_t size) {
  if (size < 16) return false;
  uint32_t format = le16(fmt);
  const uint32_t channels = le16(fmt + 2);
  const uint32_t rate = le32(fmt + 4);
  const uint32_t byte_rate = le32(fmt + 8);
  const uint32_t block_align = le16(fmt + 12);
  const uint32_t bits = le16(fmt + 14);
  if (format == kExtensible) {
    // cbSize, valid bits, channel mask, then the sub-format GUID whose first word is the tag.
    if (size < 40 || le16(fmt + 16) < 22) return false;
    const uint32_t valid_bits = le16(fmt + 18);
    if (valid_bits == 0 || valid_bits > bits) return false;
    format = le16(fmt + 24);
  }
  if (channels < 1 || channels > 8) return false;
  if (rate < 1000 || rate > 384000) return false;
  switch (format) {
    case kPcm:
      if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
      break;
    case kFloat:
      if (bits != 32 && bits != 64) return false;
      break;
    case kALaw:
    case kMuLaw:
      if (bits != 8) return false;
      break;
    default:
      return false;
  }
  return block_align == channels * bits / 8 && byte_rate == rate * block_align;
}

// A MIDI variable-length number: at most four bytes, the last with its top bit clear.
bool read_number(const unsigned char*& p, const unsigned char* end, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (p == end) return false;
    const unsigned char b = *p++;
    value = value << 7 | (b & 0x7Fu);
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

// Meta events of a fixed size: synthesizers refuse the file when one has another length.
bool meta_ok(unsigned char type, const unsigned char* body, uint32_t length) {
  switch (type) {
    case 0x00:  // sequence number
      return length == 0 || length == 2;
    case 0x20:  // channel prefix
    case 0x21:  // port
      return length == 1;
    case 0x2F:  // end of track
      return length == 0;
    case 0x51:  // tempo, microseconds per quarter note: never zero
      return length == 3 && (body[0] | body[1] | body[2]) != 0;
    case 0x54:  // SMPTE offset
      return length == 5;
    case 0x58:  // time signature
      return length == 4;
    case 0x59:  // key signature
      return length == 2;
    default:
      return true;
  }
}

bool track_ok(const unsigned char* p, const unsigned char* end) {
  unsigned char running = 0;  // channel status in effect, 0 for none
  while (p != end) {
    uint32_t delta;
    if (!read_number(p, end, delta) || p == end) return false;
    unsigned char status = *p;
    if (status & 0x80) {
      ++p;
    } else if (running != 0) {
      status = running;
    } else {
      return false;
    }
    if (status == 0xFF) {
      if (p == end) return false;
      const unsigned char type = *p++;
      uint32_t length;
      if (!read_number(p, end, length) || length > static_cast<std::size_t>(end - p)) return false;
      if (!meta_ok(type, p, length)) return false;
      p += length;
      running = 0;
      // End-of-track closes the track: nothing may follow it.
      if (type == 0x2F) return p == end;
    } else if (status == 0xF0) {
      uint32_t length;
      if (!read_number(p, end, length) || length > static_cast<std::size_t>(end - p)) return false;
      p += length;
      running = 0;
    } else if (status >= 0xF0) {
      // Escaped bytes (F7) are unknown to FluidSynth; system common and real-time messages
      // have no place in a file.
      return false;
    } else {
      const int kind = status >> 4;
      const std::size_t data = (kind == 0xC || kind == 0xD) ? 1 : 2;
      if (data > static_cast<std::size_t>(end - p)) return false;
      for (std::size_t i = 0; i < data; ++i)
        if (p[i] & 0x80) return false;
      p += data;
      running = status;
    }
  }
  return false;  // no end-of-track
}

// The chunks of a RIFF file of the form `form`, from `begin` to `end`. Streaming writers leave
// the RIFF size 0 or 0xFFFFFFFF; the decoders then read to the end of the file, and so do we
// whenever the size is 0 or larger than the file.
bool riff_chunks(const unsigned char* data, std::size_t size, const char* form,
                 const unsigned char*& begin, const unsigned char*& end) {
  if (data == nullptr || size < 12 || !tag(data, "RIFF") || !tag(data + 8, form)) return false;
  const uint32_t riff_size = le32(data + 4);
  if (riff_size != 0 && riff_size < 4) return false;
  const bool whole_file = riff_size == 0 || riff_size > size - 8;
  begin = data + 12;
  end = whole_file ? data + size : data + 8 + riff_size;
  return true;
}

struct Chunk {
  const unsigned char* name;
  const unsigned char* body;
  uint32_t length;
};

// The chunk at `p`, stepping `p` past it; false at `end` or when the chunk runs past it.
bool next_chunk(const unsigned char*& p, const unsigned char* end, Chunk& chunk) {
  if (end - p < 8) return false;
  chunk = {p, p + 8, le32(p + 4)};
  if (chunk.length > static_cast<std::size_t>(end - chunk.body)) return false;
  // Chunks are padded to an even length; the pad of the last one may be missing.
  p = chunk.body + chunk.length;
  if ((chunk.length & 1) != 0 && p != end) ++p;
  return true;
}

}  // namespace

bool read_file(const char* path, std::vector<unsigned char>& bytes) {
  bytes.clear();
  if (path == nullptr || *path == 0) return false;
  // A UTF-8 name, opened by its wide form where the system's file names are wide.
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  if (!in) return false;
  char block[65536];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    const auto got = static_cast<std::size_t>(in.gcount());
    if (bytes.size() + got > max_file_bytes) {
      bytes.clear();
      return false;
    }
    bytes.insert(bytes.end(), block, block + got);
  }
  if (in.bad()) bytes.clear();
  return !in.bad();
}

bool is_wave(const unsigned char* data, std::size_t size) {
  const unsigned char* p;
  const unsigned char* end;
  if (!riff_chunks(data, size, "WAVE", p, end)) return false;
  bool have_format = false;
  uint32_t block_align = 0;
  Chunk chunk;
  while (next_chunk(p, end, chunk)) {
    if (tag(chunk.name, "fmt ")) {
      if (have_format || !wave_format_ok(chunk.body, chunk.length)) return false;
      have_format = true;
      block_align = le16(chunk.body + 12);
    } else if (tag(chunk.name, "data")) {
      if (!have_format || chunk.length == 0 || chunk.length % block_align != 0) return false;
      // SDL_mixer's music loader reads on to the end of the file, whatever the RIFF size says,
      // allocating what each chunk declares, until a chunk declares nothing: those chunks too
      // must lie within the file and set no loop points.
      const unsigned char* const file_end = data + size;
      while (file_end - p >= 8) {
        if (!next_chunk(p, file_end, chunk)) return false;
        if (chunk.length == 0) break;
        if (tag(chunk.name, "smpl")) return false;
      }
      return true;
    } else if (tag(chunk.name, "smpl")) {
      return false;  // loop points: the music plays once
    }
  }
  return false;  // no data chunk
}

bool is_midi(const unsigned char* data, std::size_t size) {
  if (data == nullptr || size < 14 || !tag(data, "MThd") || be32(data + 4) != 6) return false;
  const uint32_t format = be16(data + 8);
  const uint32_t tracks = be16(data + 10);
  const uint32_t division = be16(data + 12);
  if (format > 1 || tracks == 0 || (format == 0 && tracks != 1)) return false;
  if (division == 0 || (division & 0x8000) != 0) return false;  // SMPTE timing: unsupported

  const unsigned char* p = data + 14;
  const unsigned char* const end = data + size;
  uint32_t found = 0;
  while (found < tracks) {
    if (end - p < 8) return false;
    const uint32_t length = be32(p + 4);
    const unsigned char* body = p + 8;
    if (length > static_cast<std::size_t>(end - body)) return false;
    if (tag(p, "MTrk")) {
      if (!track_ok(body, body + length)) return false;
      ++found;
    } else if (tag(p, "MThd") || !printable_tag(p)) {
      return false;  // FluidSynth calls a chunk with a binary name corrupt
    }
    p = body + length;
  }
  return true;  // the players stop after the declared tracks and never read what follows
}

// Windows' RIFF MIDI wrapper: the Standard MIDI File is the body of its data chunk.
bool unwrap_midi(std::vector<unsigned char>& bytes) {
  const unsigned char* p;
  const unsigned char* end;
  if (riff_chunks(bytes.data(), bytes.size(), "RMID", p, end)) {
    Chunk chunk;
    do {
      if (!next_chunk(p, end, chunk)) return false;
    } while (!tag(chunk.name, "data"));
    bytes = std::vector<unsigned char>(chunk.body, chunk.body + chunk.length);
  }
  return is_midi(bytes.data(), bytes.size());
}

}  // namespace sound_files

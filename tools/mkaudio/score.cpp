#include "score.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

struct Token {
  std::string text;
  int line;
};

struct Event {
  uint32_t tick;
  int order;  // at one tick: note-offs, then set-up messages, then note-ons
  std::vector<uint8_t> bytes;
};

struct Track {
  std::string name;
  int line = 0;
  std::vector<Token> tokens;
};

[[noreturn]] void fail(const std::string& file, int line, const std::string& what) {
  throw std::runtime_error(file + ":" + std::to_string(line) + ": " + what);
}

// A comment starts with a '#' that begins a word; inside a word '#' is a sharp (c#4).
std::string strip_comment(const std::string& line) {
  for (size_t i = 0; i < line.size(); ++i)
    if (line[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(line[i - 1]))))
      return line.substr(0, i);
  return line;
}

bool parse_int(const std::string& s, int* value) {
  if (s.empty()) return false;
  size_t pos = 0;
  try {
    *value = std::stoi(s, &pos);
  } catch (const std::exception&) {
    return false;
  }
  return pos == s.size();
}

// "a4", "c#5", "bb3", "n35" -> MIDI note number, or -1.
int parse_pitch(const std::string& s) {
  if (s.size() >= 2 && s[0] == 'n') {
    int n = 0;
    return parse_int(s.substr(1), &n) && n >= 0 && n <= 127 ? n : -1;
  }
  static const std::map<char, int> kSemitone = {{'c', 0}, {'d', 2}, {'e', 4}, {'f', 5},
                                                {'g', 7}, {'a', 9}, {'b', 11}};
  if (s.empty() || kSemitone.count(s[0]) == 0) return -1;
  int semitone = kSemitone.at(s[0]);
  size_t i = 1;
  while (i < s.size() && (s[i] == '#' || s[i] == 'b')) semitone += s[i++] == '#' ? 1 : -1;
  int octave = 0;
  if (!parse_int(s.substr(i), &octave) || octave < 0 || octave > 9) return -1;
  const int note = (octave + 1) * 12 + semitone;
  return note >= 0 && note <= 127 ? note : -1;
}

// "4", "2.", "1x2", "8.." -> ticks, or -1.
int parse_duration(const std::string& s, int ppq) {
  size_t i = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
  int denominator = 0;
  if (!parse_int(s.substr(0, i), &denominator)) return -1;
  if (denominator <= 0 || denominator > 64 || (denominator & (denominator - 1)) != 0) return -1;
  const int whole = ppq * 4;
  if (whole % denominator != 0) return -1;
  int base = whole / denominator;
  int ticks = base;
  while (i < s.size() && s[i] == '.') {
    base /= 2;
    ticks += base;
    ++i;
  }
  if (i < s.size()) {
    int times = 0;
    if (s[i] != 'x' || !parse_int(s.substr(i + 1), &times) || times < 1) return -1;
    ticks *= times;
  }
  return ticks;
}

void put_u32(std::vector<uint8_t>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(v >> shift));
}

void put_varlen(std::vector<uint8_t>* out, uint32_t v) {
  uint8_t buf[5];
  int n = 0;
  buf[n++] = v & 0x7F;
  while ((v >>= 7) != 0) buf[n++] = static_cast<uint8_t>(0x80 | (v & 0x7F));
  while (n > 0) out->push_back(buf[--n]);
}

std::vector<uint8_t> meta_text(uint8_t type, const std::string& text) {
  std::vector<uint8_t> bytes = {0xFF, type};
  put_varlen(&bytes, static_cast<uint32_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

std::vector<uint8_t> meta_tempo(int bpm) {
  const uint32_t us = static_cast<uint32_t>(60000000 / bpm);
  return {0xFF,
          0x51,
          0x03,
          static_cast<uint8_t>(us >> 16),
          static_cast<uint8_t>(us >> 8),
          static_cast<uint8_t>(us)};
}

// Events sorted by time, written with delta times and closed by End of Track at `end_tick`.
std::vector<uint8_t> track_chunk(std::vector<Event> events, uint32_t end_tick) {
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  std::vector<uint8_t> body;
  uint32_t now = 0;
  for (const Event& e : events) {
    put_varlen(&body, e.tick - now);
    now = e.tick;
    body.insert(body.end(), e.bytes.begin(), e.bytes.end());
  }
  put_varlen(&body, end_tick - now);
  body.insert(body.end(), {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> chunk = {'M', 'T', 'r', 'k'};
  put_u32(&chunk, static_cast<uint32_t>(body.size()));
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}

// Splits a track line into tokens; "(" and ")xN" stand alone even when written against a note.
void tokenize(const std::string& line, int line_no, std::vector<Token>* out) {
  std::istringstream in(line);
  std::string word;
  while (in >> word) {
    size_t start = 0;
    while (start < word.size() && word[start] == '(') {
      out->push_back({"(", line_no});
      ++start;
    }
    std::string rest = word.substr(start);
    const size_t close = rest.find(')');
    if (close != std::string::npos && close > 0) {
      out->push_back({rest.substr(0, close), line_no});
      rest = rest.substr(close);
    }
    if (!rest.empty()) out->push_back({rest, line_no});
  }
}

// Unrolls "( ... )xN" groups, nested or not.
std::vector<Token> expand_groups(const std::vector<Token>& tokens, const std::string& file) {
  std::vector<std::vector<Token>> stack(1);
  std::vector<int> open_lines;
  for (const Token& t : tokens) {
    if (t.text == "(") {
      stack.emplace_back();
      open_lines.push_back(t.line);
    } else if (t.text[0] == ')') {
      int times = 1;
      if (t.text.size() > 1 &&
          (t.text[1] != 'x' || !parse_int(t.text.substr(2), &times) || times < 1 || times > 64))
        fail(file, t.line, "bad repeat '" + t.text + "' (want ')' or ')xN')");
      if (stack.size() < 2) fail(file, t.line, "')' without '('");
      std::vector<Token> group = std::move(stack.back());
      stack.pop_back();
      open_lines.pop_back();
      for (int i = 0; i < times; ++i)
        stack.back().insert(stack.back().end(), group.begin(), group.end());
    } else {
      stack.back().push_back(t);
    }
  }
  if (stack.size() > 1) fail(file, open_lines.back(), "'(' never closed");
  return stack[0];
}

}  // namespace

std::vector<uint8_t> compile_score(const std::string& text, const std::string& file) {
  int ppq = 480;
  int tempo = 120;
  int beats = 4, beat_unit = 4;
  std::string title;
  std::vector<Track> tracks;

  std::istringstream lines(text);
  std::string raw;
  int line_no = 0;
  while (std::getline(lines, raw)) {
    ++line_no;
    const std::string line = strip_comment(raw);
    std::istringstream words(line);
    std::string word;
    if (!(words >> word)) continue;
    if (word == "track") {
      Track t;
      t.line = line_no;
      if (!(words >> t.name)) fail(file, line_no, "track needs a name");
      tracks.push_back(t);
    } else if (!tracks.empty()) {
      tokenize(line, line_no, &tracks.back().tokens);
    } else if (word == "title") {
      std::getline(words, title);
      title.erase(0, title.find_first_not_of(" \t"));
      title.erase(title.find_last_not_of(" \t\r") + 1);
    } else if (word == "ppq" || word == "tempo") {
      std::string value;
      int n = 0;
      if (!(words >> value) || !parse_int(value, &n) || n < 1 || n > (word == "ppq" ? 960 : 400))
        fail(file, line_no, "bad " + word + " value");
      (word == "ppq" ? ppq : tempo) = n;
    } else if (word == "time") {
      std::string value;
      const size_t slash = (words >> value) ? value.find('/') : std::string::npos;
      if (slash == std::string::npos || !parse_int(value.substr(0, slash), &beats) ||
          !parse_int(value.substr(slash + 1), &beat_unit) || beats < 1 || beats > 32 ||
          (beat_unit != 2 && beat_unit != 4 && beat_unit != 8))
        fail(file, line_no, "bad time signature (want N/2, N/4 or N/8)");
    } else {
      fail(file, line_no, "unknown header word '" + word + "'");
    }
  }
  if (tracks.empty()) fail(file, line_no, "score has no track");
  if (tracks.size() > 15) fail(file, line_no, "too many tracks");

  const uint32_t bar_ticks = static_cast<uint32_t>(ppq * 4 / beat_unit * beats);
  std::vector<Event> conductor;
  conductor.push_back({0, 1, meta_text(0x03, title)});
  int log2_unit = 0;
  while ((1 << log2_unit) < beat_unit) ++log2_unit;
  conductor.push_back(
      {0,
       1,
       {0xFF, 0x58, 0x04, static_cast<uint8_t>(beats), static_cast<uint8_t>(log2_unit), 24, 8}});
  conductor.push_back({0, 1, meta_tempo(tempo)});

  std::vector<std::vector<Event>> track_events;
  uint32_t end_tick = 0;
  for (const Track& track : tracks) {
    std::vector<Event> events;
    events.push_back({0, 1, meta_text(0x03, track.name)});
    int channel = -1;
    int velocity = 80;
    int duration = ppq;
    uint32_t now = 0;
    for (const Token& t : expand_groups(track.tokens, file)) {
      const std::string& s = t.text;
      const size_t eq = s.find('=');
      if (s == "|") {
        if (now % bar_ticks != 0)
          fail(file, t.line,
               "bar line at beat " + std::to_string(1.0 + (now % bar_ticks) / double(ppq)) +
                   " of bar " + std::to_string(now / bar_ticks + 1) + " in track " + track.name);
        continue;
      }
      if (eq != std::string::npos) {
        const std::string key = s.substr(0, eq);
        int value = 0;
        if (!parse_int(s.substr(eq + 1), &value)) fail(file, t.line, "bad number in '" + s + "'");
        if (key == "tempo") {
          if (value < 1 || value > 400) fail(file, t.line, "tempo out of range");
          conductor.push_back({now, 1, meta_tempo(value)});
          continue;
        }
        if (key == "ch") {
          if (value < 1 || value > 16) fail(file, t.line, "channel must be 1..16");
          channel = value - 1;
          continue;
        }
        if (key == "v") {
          if (value < 1 || value > 127) fail(file, t.line, "velocity must be 1..127");
          velocity = value;
          continue;
        }
        if (channel < 0) fail(file, t.line, "set ch= before '" + s + "'");
        const uint8_t status = static_cast<uint8_t>(0xB0 | channel);
        if (key == "prog") {
          if (value < 1 || value > 128) fail(file, t.line, "program must be 1..128");
          events.push_back(
              {now, 1, {static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(value - 1)}});
        } else if (key == "vol" || key == "pan" || key == "rev") {
          if (value < 0 || value > 127) fail(file, t.line, key + " must be 0..127");
          const uint8_t controller = key == "vol" ? 7 : key == "pan" ? 10 : 91;
          events.push_back({now, 1, {status, controller, static_cast<uint8_t>(value)}});
        } else {
          fail(file, t.line, "unknown setting '" + key + "'");
        }
        continue;
      }
      // A note, a chord joined by '+', or a rest 'r', with an optional ":duration".
      const size_t colon = s.find(':');
      if (colon != std::string::npos) {
        duration = parse_duration(s.substr(colon + 1), ppq);
        if (duration <= 0) fail(file, t.line, "bad duration in '" + s + "'");
      }
      const std::string pitches = s.substr(0, colon);
      if (pitches != "r") {
        if (channel < 0) fail(file, t.line, "set ch= before the first note");
        std::istringstream parts(pitches);
        std::string part;
        while (std::getline(parts, part, '+')) {
          const int note = parse_pitch(part);
          if (note < 0) fail(file, t.line, "bad note '" + part + "' in '" + s + "'");
          const uint8_t n = static_cast<uint8_t>(note);
          events.push_back(
              {now, 2, {static_cast<uint8_t>(0x90 | channel), n, static_cast<uint8_t>(velocity)}});
          events.push_back({now + static_cast<uint32_t>(duration),
                            0,
                            {static_cast<uint8_t>(0x80 | channel), n, 0}});
        }
      }
      now += static_cast<uint32_t>(duration);
    }
    end_tick = std::max(end_tick, now);
    track_events.push_back(std::move(events));
  }

  std::vector<uint8_t> midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
  const uint16_t count = static_cast<uint16_t>(tracks.size() + 1);
  midi.push_back(static_cast<uint8_t>(count >> 8));
  midi.push_back(static_cast<uint8_t>(count));
  midi.push_back(static_cast<uint8_t>(ppq >> 8));
  midi.push_back(static_cast<uint8_t>(ppq));
  track_events.insert(track_events.begin(), std::move(conductor));
  for (auto& events : track_events) {
    const std::vector<uint8_t> chunk = track_chunk(std::move(events), end_tick);
    midi.insert(midi.end(), chunk.begin(), chunk.end());
  }
  return midi;
}

#include "synth.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

namespace {

const double kPi = 3.14159265358979323846;

[[noreturn]] void fail(const std::string& file, int line, const std::string& what) {
  throw std::runtime_error(file + ":" + std::to_string(line) + ": " + what);
}

bool to_double(const std::string& s, double* value) {
  size_t pos = 0;
  try {
    *value = std::stod(s, &pos);
  } catch (const std::exception&) {
    return false;
  }
  return pos == s.size() && std::isfinite(*value);
}

const std::string* find_param(const EffectDef& effect, const std::string& key) {
  for (const auto& kv : effect.params)
    if (kv.first == key) return &kv.second;
  return nullptr;
}

double param(const EffectDef& effect, const std::string& key, double fallback) {
  const std::string* text = find_param(effect, key);
  double value = fallback;
  if (text != nullptr && !to_double(*text, &value))
    throw std::runtime_error(effect.file + ": bad number for " + key + ": " + *text);
  return value;
}

std::vector<double> param_list(const EffectDef& effect, const std::string& key) {
  std::vector<double> values;
  const std::string* text = find_param(effect, key);
  if (text == nullptr) throw std::runtime_error(effect.file + ": " + key + "= is missing");
  std::istringstream in(*text);
  std::string item;
  while (std::getline(in, item, ',')) {
    double v = 0;
    if (!to_double(item, &v)) throw std::runtime_error(effect.file + ": bad list item " + item);
    values.push_back(v);
  }
  return values;
}

// Fixed-seed xorshift: the same noise on every build and every standard library.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}
  double next() {  // uniform in [-1, 1)
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t state_;
};

// Smooth start and end so the effect never clicks.
double edge_fade(double t, double total, double in, double out) {
  double g = 1.0;
  if (t < in) g *= 0.5 - 0.5 * std::cos(kPi * t / in);
  if (t > total - out) g *= 0.5 - 0.5 * std::cos(kPi * std::max(0.0, total - t) / out);
  return g;
}

// Noise through a band-pass whose centre rises exponentially: a breath of air lifting.
std::vector<double> sweep(const EffectDef& effect, int rate, int n) {
  const double from = param(effect, "from", 300), to = param(effect, "to", 6000);
  const double q = param(effect, "q", 3), attack = param(effect, "attack", 0.2);
  if (from <= 0 || to <= 0 || to > rate / 6.0 || q <= 0.5)
    throw std::runtime_error(effect.file + ": sweep needs 0 < from, to <= rate/6, q > 0.5");
  Noise noise(static_cast<uint32_t>(param(effect, "seed", 1)));
  std::vector<double> out(n);
  double low = 0, band = 0;  // Chamberlin state-variable filter
  const double damping = 1.0 / q;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double centre = from * std::pow(to / from, t / effect.seconds);
    const double f = 2.0 * std::sin(kPi * centre / rate);
    const double high = noise.next() - low - damping * band;
    band += f * high;
    low += f * band;
    const double rise = std::min(1.0, t / attack);
    const double fall = std::pow(1.0 - t / effect.seconds, 1.2);
    out[i] = band * rise * fall;
  }
  return out;
}

// Bell strikes climbing a chord: struck partials (1, 2.76, 5.4) with fast exponential decay.
std::vector<double> chime(const EffectDef& effect, int rate, int n) {
  const std::vector<double> notes = param_list(effect, "notes");
  const double step = param(effect, "step", 0.09), decay = param(effect, "decay", 0.3);
  if (notes.empty() || step < 0 || decay <= 0)
    throw std::runtime_error(effect.file + ": chime needs notes=, step >= 0, decay > 0");
  static const double kPartial[3] = {1.0, 2.76, 5.4};
  static const double kLevel[3] = {1.0, 0.35, 0.15};
  std::vector<double> out(n, 0.0);
  for (size_t k = 0; k < notes.size(); ++k) {
    const int start = static_cast<int>(std::lround(k * step * rate));
    for (int i = start; i < n; ++i) {
      const double t = static_cast<double>(i - start) / rate;
      double v = 0;
      for (int p = 0; p < 3; ++p) {
        const double freq = notes[k] * kPartial[p];
        if (freq >= rate / 2.0) continue;
        v += kLevel[p] * std::exp(-t * (1.0 + p) / decay) * std::sin(2 * kPi * freq * t);
      }
      out[i] += v * std::min(1.0, t / 0.003);
    }
  }
  return out;
}

// A low voice sinking by a fifth or more, soft harmonics, slow vibrato, dying away.
std::vector<double> fall(const EffectDef& effect, int rate, int n) {
  const double from = param(effect, "from", 220), to = param(effect, "to", 110);
  const double vibrato = param(effect, "vibrato", 5);
  if (from <= 0 || to <= 0) throw std::runtime_error(effect.file + ": fall needs from, to > 0");
  std::vector<double> out(n);
  double phase = 0;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double glide = from * std::pow(to / from, t / effect.seconds);
    const double freq = glide * (1.0 + 0.006 * std::sin(2 * kPi * vibrato * t));
    phase += 2 * kPi * freq / rate;
    double v = 0.5 * std::sin(0.5 * phase);  // sub-octave body
    for (int h = 1; h <= 6; ++h) v += std::sin(h * phase) / std::pow(h, 1.5);
    out[i] = v * std::exp(-2.0 * t / effect.seconds);
  }
  return out;
}

}  // namespace

std::vector<EffectDef> parse_effects(const std::string& text, const std::string& file) {
  std::vector<EffectDef> effects;
  std::istringstream lines(text);
  std::string raw;
  int line_no = 0;
  while (std::getline(lines, raw)) {
    ++line_no;
    const std::string line = raw.substr(0, raw.find('#'));
    std::istringstream words(line);
    EffectDef effect;
    std::string seconds;
    if (!(words >> effect.file)) continue;
    if (!(words >> effect.kind >> seconds)) fail(file, line_no, "want: <file> <kind> <seconds> ...");
    if (effect.kind != "sweep" && effect.kind != "chime" && effect.kind != "fall")
      fail(file, line_no, "unknown kind '" + effect.kind + "' (sweep, chime or fall)");
    if (!to_double(seconds, &effect.seconds) || effect.seconds <= 0.05 || effect.seconds >= 2.0)
      fail(file, line_no, "length must be more than 0.05 and under 2 seconds");
    std::string kv;
    while (words >> kv) {
      const size_t eq = kv.find('=');
      if (eq == std::string::npos || eq == 0) fail(file, line_no, "want key=value, got " + kv);
      effect.params.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
    }
    effects.push_back(effect);
  }
  return effects;
}

std::vector<int16_t> render_effect(const EffectDef& effect, int rate) {
  const int n = static_cast<int>(effect.seconds * rate);
  std::vector<double> wave = effect.kind == "sweep"   ? sweep(effect, rate, n)
                             : effect.kind == "chime" ? chime(effect, rate, n)
                                                    : fall(effect, rate, n);
  double peak = 0;
  for (int i = 0; i < n; ++i) {
    wave[i] *= edge_fade(static_cast<double>(i) / rate, effect.seconds, 0.004, 0.05);
    peak = std::max(peak, std::fabs(wave[i]));
  }
  const double gain = std::clamp(param(effect, "gain", 0.5), 0.0, 1.0);
  const double scale = peak > 0 ? gain * 32767.0 / peak : 0.0;
  std::vector<int16_t> samples(n);
  for (int i = 0; i < n; ++i) samples[i] = static_cast<int16_t>(std::lround(wave[i] * scale));
  return samples;
}

std::vector<uint8_t> wav_file(const std::vector<int16_t>& samples, int rate) {
  std::vector<uint8_t> out;
  auto text = [&](const char* s) { out.insert(out.end(), s, s + 4); };
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
  text("RIFF");
  u32(36 + data_bytes);
  text("WAVE");
  text("fmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(static_cast<uint32_t>(rate));
  u32(static_cast<uint32_t>(rate * 2));
  u16(2);
  u16(16);
  text("data");
  u32(data_bytes);
  for (int16_t s : samples) u16(static_cast<uint16_t>(s));
  return out;
}

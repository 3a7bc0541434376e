#include <emscripten.h>

#include <string>
#include <vector>

#include "sound/audio_device.h"
#include "sound/sound_files.h"

// Web Audio: the browser decodes the checked bytes.
// Browsers start no sound before a gesture, so the context is unlocked by the first key or
// click, and music asked for earlier starts then, from its beginning.

// clang-format off
EM_JS(int, webaudio_open, (), {
  if (Module.vornaAudio) return Module.vornaAudio.ctx ? 1 : 0;
  var A = Module.vornaAudio = {ctx: null, unlocked: false, pieces: {}, waves: {},
                               music: null, musicHandle: 0, pending: 0, effect: null, wanted: ""};
  var Context = window.AudioContext || window.webkitAudioContext;
  if (!Context) return 0;
  try { A.ctx = new Context(); } catch (e) { return 0; }
  A.source = function(buffer) {
    var s = A.ctx.createBufferSource();
    s.buffer = buffer;
    s.connect(A.ctx.destination);
    s.start(0);
    return s;
  };
  A.stop = function(s) { if (s) try { s.stop(); } catch (e) {} };
  A.startPending = function() {
    var buffer = A.pieces[A.pending];
    if (!A.unlocked || !(buffer instanceof AudioBuffer)) return;
    A.stop(A.music);
    A.music = A.source(buffer);
    A.musicHandle = A.pending;
    A.pending = 0;
  };
  A.decode = function(ptr, size, done) {
    var bytes = HEAPU8.slice(ptr, ptr + size).buffer;
    try {
      var p = A.ctx.decodeAudioData(bytes, done, function() {});
      if (p && p.catch) p.catch(function() {});
    } catch (e) {}
  };
  var events = ['keydown', 'mousedown', 'touchstart'];
  var unlock = function() {
    A.unlocked = true;
    A.ctx.resume();
    A.startPending();
    events.forEach(function(e) { window.removeEventListener(e, unlock, true); });
  };
  events.forEach(function(e) { window.addEventListener(e, unlock, true); });
  return 1;
});

EM_JS(void, webaudio_load, (unsigned handle, const unsigned char* data, size_t size), {
  var A = Module.vornaAudio;
  A.pieces[handle] = true;
  A.decode(data, size, function(buffer) {
    if (!A.pieces[handle]) return;  // freed meanwhile
    A.pieces[handle] = buffer;
    if (A.pending == handle) A.startPending();
  });
});

EM_JS(void, webaudio_play, (unsigned handle), {
  var A = Module.vornaAudio;
  A.pending = handle;
  A.startPending();
});

EM_JS(void, webaudio_free, (unsigned handle), {
  var A = Module.vornaAudio;
  if (A.musicHandle == handle) { A.stop(A.music); A.music = null; A.musicHandle = 0; }
  if (A.pending == handle) A.pending = 0;
  delete A.pieces[handle];
});

EM_JS(void, webaudio_effect, (const char* file, const unsigned char* data, size_t size), {
  var A = Module.vornaAudio;
  if (!A.unlocked) return;
  var name = UTF8ToString(file);
  A.wanted = name;
  var play = function(buffer) {
    A.waves[name] = buffer;
    if (A.wanted != name) return;  // a later effect came first
    A.stop(A.effect);
    A.effect = A.source(buffer);
    A.wanted = "";
  };
  if (A.waves[name]) play(A.waves[name]); else A.decode(data, size, play);
});

EM_JS(void, webaudio_close, (), {
  var A = Module.vornaAudio;
  if (!A || !A.ctx) return;
  A.stop(A.music);
  A.stop(A.effect);
  A.ctx.close();
  A.ctx = null;
  A.unlocked = false;
});
// clang-format on

namespace {

struct Output {
  int attempts = 0;
  bool ok = false;
  unsigned next_handle = 1;

  // Runs when the program ends: the page's sound ends with it.
  ~Output() {
    if (ok) webaudio_close();
  }
};

Output& output() {
  static Output out;
  return out;
}

// A MIDI file is played from its rendering made at build time, the same name with .opus.
std::string rendering_of(const std::string& midi_file) {
  const std::size_t dot = midi_file.rfind('.');
  const std::size_t slash = midi_file.rfind('/');
  const bool has_extension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (has_extension ? midi_file.substr(0, dot) : midi_file) + ".opus";
}

}  // namespace

namespace audio {

bool open() {
  Output& out = output();
  if (out.attempts > 0) return out.ok;
  ++out.attempts;
  out.ok = webaudio_open() != 0;
  return out.ok;
}

// The bytes of a MIDI file were checked; what the browser decodes is their rendering.
unsigned load_music(const char* file, Device device, std::vector<unsigned char> bytes) {
  if (file == nullptr || device == Device::cd || !open()) return 0;
  if (device == Device::sequencer && !sound_files::read_file(rendering_of(file).c_str(), bytes))
    return 0;
  const unsigned handle = output().next_handle++;
  webaudio_load(handle, bytes.data(), bytes.size());
  return handle;
}

bool play_music(unsigned handle) {
  if (!output().ok || handle == 0 || handle >= output().next_handle) return false;
  webaudio_play(handle);
  return true;
}

void free_music(unsigned handle) {
  if (output().ok) webaudio_free(handle);
}

void play_effect(const char* file, std::vector<unsigned char> bytes) {
  if (file != nullptr && open()) webaudio_effect(file, bytes.data(), bytes.size());
}

}  // namespace audio

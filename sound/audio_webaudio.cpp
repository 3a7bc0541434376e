#include <emscripten.h>

#include <cstring>
#include <string>
#include <vector>

#include "sound/audio_device.h"
#include "sound/web_sounds.h"

// Web Audio over the renderings of the game's sound files made at build time
// (sound/web_sounds.h). The page fetches them after its first frame (Module.fetchAfterFirstFrame,
// from its loader; plain fetch elsewhere), as Ogg Opus, or as MP3 where decodeAudioData refuses
// Opus (Safari before 18.4), and the browser decodes them off the main thread, in an offline
// context. Music asked for before its sound has arrived starts when it arrives; an effect not yet
// there is skipped, never played late.
//
// Browsers start no sound before a gesture, and starting the audio output stalls the page for
// tens of milliseconds, so the context that plays is made at the first key, click or tap; every
// gesture then tries to resume it until it really runs (touchstart alone does not count as a
// gesture), and music asked for earlier starts then, from its beginning. While the page is
// hidden the context is suspended and resumes where it was once shown. The page can hold the
// sound paused for reasons of its own:
//   Module.vornaAudio.hold('context', true)   pauses it (a lost WebGL context, say),
//   Module.vornaAudio.hold('context', false)  lets it go on where it was, once no hold is left.

// clang-format off
EM_JS(int, webaudio_open, (), {
  if (Module.vornaAudio) return 1;
  var Context = window.AudioContext || window.webkitAudioContext;
  var Offline = window.OfflineAudioContext || window.webkitOfflineAudioContext;
  if (!Context || !Offline) return 0;
  var A = Module.vornaAudio = {ctx: null, closed: false, sounds: {}, pieces: {}, music: null,
                               musicHandle: 0, pending: 0, effect: null, holds: {},
                               gestured: false, mp3: false};
  // Decodes at Opus's own rate; a source plays a buffer at any rate.
  var decoder = new Offline(1, 1, 48000);

  A.source = function(buffer) {
    var s = A.ctx.createBufferSource();
    s.buffer = buffer;
    s.connect(A.ctx.destination);
    s.start(0);
    return s;
  };
  A.stop = function(s) { if (s) try { s.stop(); } catch (e) {} };
  // Resuming before a gesture, or suspending a closing context, may be refused: nothing to do.
  A.quietly = function(promise) { if (promise && promise.catch) promise.catch(function() {}); };
  A.running = function() {
    return A.ctx && A.ctx.state == 'running' && !Object.keys(A.holds).length;
  };
  A.startPending = function() {
    var buffer = A.pending && A.sounds[A.pieces[A.pending]];
    if (!A.running() || !buffer) return;
    A.stop(A.music);
    A.music = A.source(buffer);
    A.musicHandle = A.pending;
    A.pending = 0;
  };

  // Holds pause the sound (suspending the context keeps every sound's place); the last one let
  // go resumes it, once a gesture has allowed sound at all.
  A.hold = function(reason, on) {
    if (on) A.holds[reason] = true; else delete A.holds[reason];
    if (!A.ctx) return;
    if (Object.keys(A.holds).length) {
      if (A.ctx.state == 'running') A.quietly(A.ctx.suspend());
    } else if (A.gestured && A.ctx.state == 'suspended') {
      A.quietly(A.ctx.resume());
    }
  };
  A.onVisibility = function() { A.hold('hidden', document.hidden); };

  // The first gesture makes the context, and every one tries until it runs. Chromium lets
  // keydown, mousedown, pointerup, touchend and the click after them start sound, never
  // touchstart. Without a context the game is silent.
  var gestures = ['keydown', 'mousedown', 'pointerup', 'touchend', 'click'];
  A.unlock = function() {
    if (A.closed) return;
    A.gestured = true;
    if (!A.ctx) {
      try { A.ctx = new Context(); } catch (e) { return A.listen(false); }
      A.ctx.onstatechange = A.onStateChange;
      if (Object.keys(A.holds).length) return A.quietly(A.ctx.suspend());
    }
    if (A.ctx.state == 'suspended' && !Object.keys(A.holds).length) A.quietly(A.ctx.resume());
    A.startPending();
  };
  A.listen = function(on) {
    gestures.forEach(function(e) {
      if (on) window.addEventListener(e, A.unlock, true);
      else window.removeEventListener(e, A.unlock, true);
    });
  };
  A.onStateChange = function() {
    if (!A.ctx) return;
    var running = A.ctx.state == 'running';
    if (running && Object.keys(A.holds).length) return A.quietly(A.ctx.suspend());  // held meanwhile
    A.listen(!running);
    A.startPending();
  };

  document.addEventListener('visibilitychange', A.onVisibility);
  if (document.hidden) A.hold('hidden', true);
  A.listen(true);

  // The bytes of a file of the site: after the first frame through the page's loader (which
  // retries), else straight away.
  var get = function(name) {
    if (Module.fetchAfterFirstFrame) return Module.fetchAfterFirstFrame(name);
    return fetch(name).then(function(r) {
      if (!r.ok) throw new Error(name + ': ' + r.status);
      return r.arrayBuffer();
    });
  };
  var decode = function(bytes) {
    return new Promise(function(resolve, reject) {
      if (A.closed) return reject(new Error('closed'));
      var p = decoder.decodeAudioData(bytes, resolve, reject);  // the callback form: older Safari
      if (p && p.catch) p.catch(reject);
    });
  };
  // Opus first; the MP3 only where Opus is refused, and from then on for every sound.
  A.fetchSound = function(file, opus, mp3) {
    var viaMp3 = function() { return get(mp3).then(decode); };
    var viaOpus = function() {
      return get(opus).then(function(bytes) {
        return decode(bytes).catch(function(e) {
          if (A.closed) throw e;
          A.mp3 = true;
          return viaMp3();
        });
      });
    };
    (A.mp3 ? viaMp3() : viaOpus()).then(function(buffer) {
      A.sounds[file] = buffer;
      A.startPending();
    }, function() {});
  };
  return 1;
});

EM_JS(void, webaudio_fetch, (const char* file, const char* opus, const char* mp3), {
  Module.vornaAudio.fetchSound(UTF8ToString(file), UTF8ToString(opus), UTF8ToString(mp3));
});

EM_JS(void, webaudio_load, (unsigned handle, const char* file), {
  Module.vornaAudio.pieces[handle] = UTF8ToString(file);
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

EM_JS(void, webaudio_effect, (const char* file), {
  var A = Module.vornaAudio;
  var buffer = A.sounds[UTF8ToString(file)];
  if (!A.running() || !buffer) return;  // no sound now, or not arrived: never played late
  A.stop(A.effect);
  A.effect = A.source(buffer);
});

// Everything that could touch the context afterwards checks for it first.
EM_JS(void, webaudio_close, (), {
  var A = Module.vornaAudio;
  if (!A) return;
  A.closed = true;
  A.listen(false);
  document.removeEventListener('visibilitychange', A.onVisibility);
  if (!A.ctx) return;
  A.stop(A.music);
  A.stop(A.effect);
  var ctx = A.ctx;
  A.ctx = null;
  ctx.onstatechange = null;
  A.quietly(ctx.close());
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

// The renderings of a sound file named like the game names it, with or without a folder.
const web_sounds::Sound* renderings(const char* file) {
  if (file == nullptr) return nullptr;
  const char* slash = std::strrchr(file, '/');
  const char* name = slash != nullptr ? slash + 1 : file;
  for (const web_sounds::Sound& sound : web_sounds::kAll)
    if (std::strcmp(sound.file, name) == 0) return &sound;
  return nullptr;
}

}  // namespace

namespace audio {

bool plays_renderings() {
  return true;
}

// Opening starts every sound on its way, for the page to fetch once its first frame is drawn.
bool open() {
  Output& out = output();
  if (out.attempts > 0) return out.ok;
  ++out.attempts;
  out.ok = webaudio_open() != 0;
  if (out.ok)
    for (const web_sounds::Sound& sound : web_sounds::kAll)
      webaudio_fetch(sound.file, sound.opus, sound.mp3);
  return out.ok;
}

unsigned load_music(const char* file, Device device, std::vector<unsigned char>) {
  const web_sounds::Sound* sound = renderings(file);
  if (sound == nullptr || device == Device::cd || !open()) return 0;
  const unsigned handle = output().next_handle++;
  webaudio_load(handle, sound->file);
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

void play_effect(const char* file, std::vector<unsigned char>) {
  const web_sounds::Sound* sound = renderings(file);
  if (sound != nullptr && open()) webaudio_effect(sound->file);
}

}  // namespace audio

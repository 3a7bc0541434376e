// Installed in the page before its own scripts: the test's hold on the game's clock, its view of
// the frames and of the sound. The page's own code is unchanged by it.
(function () {
  'use strict';
  var T = window.vornaTest = {held: [], frames: 0, firstFrame: 0, sources: [], options: OPTIONS};

  // The maze generator seeds from the clock: a fixed clock, a fixed maze.
  if (T.options.seed) Date.now = function () { return T.options.seed * 1000; };

  // The game's 100 ms timer is held; tick(n) runs it n times, as n ticks of the real clock would.
  if (T.options.hold) {
    var setTimeoutReal = window.setTimeout.bind(window);
    window.setTimeout = function (callback, ms) {
      if (ms === 100) { T.held.push(callback); return 0; }
      return setTimeoutReal.apply(window, arguments);
    };
    T.tick = function (n) {
      for (var i = 0; i < n && T.held.length; ++i) T.held.shift()();
    };
  }

  var rafReal = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = function (callback) {
    return rafReal(function (t) {
      callback(t);
      T.frames++;
      if (!T.firstFrame) T.firstFrame = performance.now();
    });
  };

  // The progress bar every 20 ms until the game's first frame.
  T.progress = [];
  var setTimeoutFirst = window.setTimeout.bind(window);
  (function sample() {
    if (T.firstFrame) return;
    var bar = document.getElementById('progress');
    if (bar) T.progress.push({at: performance.now(), value: bar.value, shown: bar.offsetWidth > 0});
    setTimeoutFirst(sample, 20);
  })();

  // Main-thread tasks over 50 ms, as the browser reports them.
  T.longTasks = [];
  if (window.PerformanceObserver && PerformanceObserver.supportedEntryTypes.indexOf('longtask') >= 0)
    new PerformanceObserver(function (list) {
      list.getEntries().forEach(function (e) { T.longTasks.push({at: e.startTime, ms: e.duration}); });
    }).observe({type: 'longtask', buffered: true});

  // The page hidden (another tab, a locked phone) or shown again, as the browser would say it.
  T.hide = function (hidden) {
    Object.defineProperty(document, 'hidden', {configurable: true, get: function () { return hidden; }});
    Object.defineProperty(document, 'visibilityState', {configurable: true,
                                                        get: function () { return hidden ? 'hidden' : 'visible'; }});
    document.dispatchEvent(new Event('visibilitychange'));
  };
  T.nextFrame = function () {
    return new Promise(function (done) { rafReal(function () { rafReal(done); }); });
  };

  // WebGL's draw calls, counted; the canvas's own pixels (500 x 500, however large the page
  // shows it) of a frame drawn now, as base64 RGB, top row first.
  T.draws = 0;
  ['clear', 'drawArrays', 'drawElements'].forEach(function (name) {
    var real = WebGLRenderingContext.prototype[name];
    WebGLRenderingContext.prototype[name] = function () {
      T.draws++;
      return real.apply(this, arguments);
    };
  });
  T.pixels = function () {
    getWasmTableEntry(GLUT.displayFunc)();
    var gl = Module.ctx, w = gl.drawingBufferWidth, h = gl.drawingBufferHeight;
    var rgba = new Uint8Array(w * h * 4), rgb = '';
    gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
    for (var y = h - 1; y >= 0; --y)
      for (var x = 0; x < w; ++x) {
        var i = (y * w + x) * 4;
        rgb += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
      }
    return btoa(rgb);
  };

  // The graphics context lost as soon as the page makes it (T.restore() brings it back), or
  // shaders that never compile.
  if (T.options.loseEarly || T.options.badShaders) {
    var getContextFirst = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (kind) {
      var gl = getContextFirst.apply(this, arguments);
      if (gl && /webgl/.test(kind) && T.options.loseEarly && !T.lose) {
        T.lose = gl.getExtension('WEBGL_lose_context');
        T.lose.loseContext();
        T.restore = function () { T.lose.restoreContext(); };
      }
      return gl;
    };
    var shaderParameter = WebGLRenderingContext.prototype.getShaderParameter;
    WebGLRenderingContext.prototype.getShaderParameter = function (shader, name) {
      if (T.options.badShaders && name == this.COMPILE_STATUS) return false;
      return shaderParameter.apply(this, arguments);
    };
  }

  if (T.options.noWebGL) {
    var getContextReal = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (kind) {
      return /webgl/.test(kind) ? null : getContextReal.apply(this, arguments);
    };
  }
  if (T.options.noWebAudio) {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  }
  if (!window.AudioBufferSourceNode) return;

  // A browser that cannot decode Ogg (Safari before 18.4): decodeAudioData refuses its bytes.
  if (T.options.noOpus) {
    var decodeReal = BaseAudioContext.prototype.decodeAudioData;
    BaseAudioContext.prototype.decodeAudioData = function (bytes, done, failed) {
      if (String.fromCharCode.apply(null, new Uint8Array(bytes, 0, 4)) != 'OggS')
        return decodeReal.apply(this, arguments);
      var error = new DOMException('Unable to decode audio data', 'EncodingError');
      if (failed) setTimeout(function () { failed(error); });
      return Promise.reject(error);
    };
  }

  // Every sound started: its length, loudness, and what actually reaches the output.
  var startReal = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function () {
    var b = this.buffer, peak = 0, sum = 0;
    for (var c = 0; c < b.numberOfChannels; ++c) {
      var d = b.getChannelData(c);
      for (var i = 0; i < d.length; ++i) {
        var v = Math.abs(d[i]);
        if (v > peak) peak = v;
        sum += v * v;
      }
    }
    var tap = this.context.createAnalyser();
    this.connect(tap);
    T.sources.push({duration: b.duration, peak: peak, rms: Math.sqrt(sum / (b.length * b.numberOfChannels)),
                    at: performance.now(), tap: tap, loudest: 0});
    return startReal.apply(this, arguments);
  };
  // The loudest sample each sound has sent to the output so far.
  T.listen = function () {
    T.sources.forEach(function (s) {
      var x = new Float32Array(s.tap.fftSize);
      s.tap.getFloatTimeDomainData(x);
      for (var i = 0; i < x.length; ++i) s.loudest = Math.max(s.loudest, Math.abs(x[i]));
    });
    return T.sources.map(function (s) {
      return {duration: s.duration, peak: s.peak, rms: s.rms, loudest: s.loudest};
    });
  };
})();

// Brings the game in: first what its first frame needs (the game's script and its wasm, compiled
// while it streams in), with a progress bar from the first moment; everything else (the sounds)
// after the first frame, in the background. A download that fails names its file and waits for
// the retry button. After the first frame the service worker (sw.js) keeps the site for offline
// play. Both downloads, and a worker starting the GPU process, start as this script runs;
// vorna-page.js waits for vornaLoader.downloaded, then calls vornaLoader.start(Module).
(function () {
  'use strict';
  var $ = document.getElementById.bind(document);
  var sizes = JSON.parse($('first-frame-files').textContent);  // file name: bytes
  var arrived = {};

  function showProgress() {
    var total = 0, got = 0;
    for (var name in sizes) {
      total += sizes[name];
      got += Math.min(arrived[name] || 0, sizes[name]);
    }
    $('progress').value = total ? got / total : 0;
    $('progress-text').textContent = 'Loading the game… ' + Math.round(got / 1024) + ' of ' +
        Math.round(total / 1024) + ' KB';
  }

  // Downloads that failed, each waiting for the retry button.
  var failures = [];
  function failed(name, error) {
    return new Promise(function (retry) {
      failures.push({name: name, retry: retry});
      var names = failures.map(function (f) { return f.name; }).join(', ');
      $('failed-text').textContent = 'Could not download ' + names + ' (' +
          (error && error.message || error) + ').';
      $('failed').hidden = false;
    });
  }
  $('retry').addEventListener('click', function () {
    var waiting = failures;
    failures = [];
    $('failed').hidden = true;
    waiting.forEach(function (f) { f.retry(); });
  });

  // A file of the site; an HTTP error counts as a failure. A retry asks the server again.
  function fetchFile(name, again) {
    return fetch(name, again ? {cache: 'no-cache'} : {}).then(function (response) {
      if (!response.ok) throw new Error('HTTP ' + response.status);
      return response;
    });
  }

  // The same response, its bytes counted for the progress bar as they pass; `done` once all are.
  function counted(name, response, type, done) {
    var reader = response.body.getReader();
    arrived[name] = 0;
    var body = new ReadableStream({
      pull: function (controller) {
        return reader.read().then(function (chunk) {
          if (chunk.done) {
            done();
            return controller.close();
          }
          arrived[name] += chunk.value.length;
          showProgress();
          controller.enqueue(chunk.value);
        });
      },
    });
    return new Response(body, {headers: {'Content-Type': type}});
  }

  // The wasm module, compiled while it streams in; on any failure, again after the retry.
  function compileWasm(again, done) {
    return fetchFile('vorna.wasm', again).then(function (response) {
      var stream = counted('vorna.wasm', response, 'application/wasm', done);
      return WebAssembly.compileStreaming ? WebAssembly.compileStreaming(stream)
          : stream.arrayBuffer().then(WebAssembly.compile);
    }).catch(function (error) {
      return failed('vorna.wasm', error).then(function () { return compileWasm(true, done); });
    });
  }

  // The game's script as a blob, run once the page starts the game.
  function fetchScript(again) {
    return fetchFile('vorna.js', again).then(function (response) {
      return counted('vorna.js', response, 'text/javascript', function () {}).blob();
    }).catch(function (error) {
      return failed('vorna.js', error).then(function () { return fetchScript(true); });
    });
  }

  var firstFrameDrawn;
  var firstFrame = new Promise(function (resolve) { firstFrameDrawn = resolve; });

  // The service worker, once the first frame is up: its first install downloads every file of
  // the site. Resolves when the page may fetch the rest: through the worker once it controls the
  // page (the sounds then come from its cache, downloaded once), or straight from the network
  // where there is no worker or it failed.
  var settled = firstFrame.then(function () {
    if (!('serviceWorker' in navigator)) return;
    return navigator.serviceWorker.register('sw.js').then(function (registration) {
      if (navigator.serviceWorker.controller) return;
      var worker = registration.installing || registration.waiting;
      if (!worker) return;
      return new Promise(function (resolve) {
        navigator.serviceWorker.addEventListener('controllerchange', resolve);
        worker.addEventListener('statechange', function () {
          if (worker.state == 'redundant') resolve();
        });
      });
    }).catch(function () {});
  });

  // Everything but the first frame's files: fetched after the first frame, retried on failure.
  function fetchAfterFirstFrame(name) {
    var attempt = function (again) {
      return fetchFile(name, again).then(function (response) {
        return response.arrayBuffer();
      }).catch(function (error) {
        return failed(name, error).then(function () { return attempt(true); });
      });
    };
    return settled.then(function () { return attempt(false); });
  }

  function stop() {
    $('loading').hidden = true;
    $('failed').hidden = true;
    failures = [];
  }

  // On a software renderer the browser starts its GPU process with the first WebGL context, and
  // whichever thread asks for that context waits for it (0.5 s and more at the first visit): a
  // worker asks first, so the page's own context, made after, comes at once and the main thread
  // stays free meanwhile. Where workers have no WebGL the page makes its context as before; a
  // worker that says nothing within 5 s is not waited for.
  var gpuStarted = new Promise(function (resolve) {
    if (!window.Worker || !window.OffscreenCanvas) return resolve();
    setTimeout(resolve, 5000);
    var source = "try { new OffscreenCanvas(1, 1).getContext('webgl'); } catch (e) {}\n" +
        'postMessage(0);';
    try {
      var worker = new Worker(URL.createObjectURL(new Blob([source], {type: 'text/javascript'})));
      worker.onmessage = worker.onerror = function () {
        worker.terminate();
        resolve();
      };
    } catch (e) {
      resolve();
    }
  });

  showProgress();
  var wasmArrived;
  var wasmIn = new Promise(function (resolve) { wasmArrived = resolve; });
  var wasm = window.WebAssembly ? compileWasm(false, wasmArrived) : (wasmArrived(), null);
  var script = fetchScript(false);
  // Both files in (the wasm may still be compiling, off the main thread), the GPU process up.
  var downloaded = Promise.all([script, wasmIn, gpuStarted]);

  // Starts the game on the page's Module: its wasm from the streaming compile begun here, its
  // first frame (drawn by the first animation frame after main) ending the progress bar.
  function start(Module) {
    // The runtime and main start in a task after the script's own.
    Module.instantiateWasm = function (imports, receive) {
      wasm.then(function (module) {
        return WebAssembly.instantiate(module, imports).then(function (instance) {
          setTimeout(function () { receive(instance, module); });
        });
      });
      return {};
    };
    Module.fetchAfterFirstFrame = fetchAfterFirstFrame;
    Module.postRun = [function () {
      requestAnimationFrame(function () {
        $('loading').hidden = true;
        firstFrameDrawn();
      });
    }];
    script.then(function (blob) {
      var element = document.createElement('script');
      element.src = URL.createObjectURL(blob);
      document.body.appendChild(element);
    });
  }

  window.vornaLoader = {downloaded: downloaded, start: start, stop: stop};
})();

// Brings the game in: first what its first frame needs (the game's script and its wasm, compiled
// while it streams in), with a progress bar from the first moment; everything else (the sounds)
// after the first frame, in the background. A download that fails names its file and waits for
// the retry button. After the first frame the service worker (sw.js) keeps the site for offline
// play. vorna-page.js calls vornaLoader.start(Module) once the page can show the game.
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

  // The same response, its bytes counted for the progress bar as they pass.
  function counted(name, response) {
    var reader = response.body.getReader();
    arrived[name] = 0;
    var body = new ReadableStream({
      pull: function (controller) {
        return reader.read().then(function (chunk) {
          if (chunk.done) return controller.close();
          arrived[name] += chunk.value.length;
          showProgress();
          controller.enqueue(chunk.value);
        });
      },
    });
    return new Response(body, {headers: {'Content-Type': 'application/wasm'}});
  }

  // The wasm module, compiled while it streams in; on any failure, again after the retry.
  function compileWasm(again) {
    return fetchFile('vorna.wasm', again).then(function (response) {
      var stream = counted('vorna.wasm', response);
      return WebAssembly.compileStreaming ? WebAssembly.compileStreaming(stream)
          : stream.arrayBuffer().then(WebAssembly.compile);
    }).catch(function (error) {
      return failed('vorna.wasm', error).then(function () { return compileWasm(true); });
    });
  }

  function loadScript(name, again) {
    return new Promise(function (resolve, reject) {
      var script = document.createElement('script');
      script.src = again ? name + '?retry=' + Date.now() : name;
      script.onload = resolve;
      script.onerror = function () {
        script.remove();
        reject(new Error('no answer or an HTTP error'));
      };
      document.body.appendChild(script);
    }).then(function () {
      arrived[name] = sizes[name];
      showProgress();
    }, function (error) {
      return failed(name, error).then(function () { return loadScript(name, true); });
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

  // Starts the game on the page's Module: its wasm from the streaming compile begun here, its
  // first frame (drawn by the first animation frame after main) ending the progress bar.
  function start(Module) {
    showProgress();
    var wasm = compileWasm(false);
    Module.instantiateWasm = function (imports, receive) {
      wasm.then(function (module) {
        return WebAssembly.instantiate(module, imports).then(function (instance) {
          receive(instance, module);
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
    loadScript('vorna.js', false);
  }

  window.vornaLoader = {start: start, stop: stop};
})();

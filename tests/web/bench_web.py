#!/usr/bin/python3
"""The browser build's numbers, reported and never asserted: the frame (display and glFinish)
in the page against the native one on the same scenes; then the loading goals, each beside its
target: the first frame (its first WebGL draw) on Lighthouse's Slow 4G (throttled at the server,
so a service worker would be slowed too) and on loopback, both served with gzip and nothing cached,
the bytes fetched before it, the whole site, and the longest main-thread task while loading and
playing at 4x CPU throttling (with the WebGL context's creation timed apart).

    bench_web.py WEB_BUILD HOST_BUILD [FRAMES]
"""

import gzip
import os
import statistics
import sys
import tempfile
import time

from browser import SLOW_4G, Browser, Link, Server, run_native_scenes
from test_web import SCENARIO, hooks

LOADS = 10
SLOW_LOADS = 5

# The WebGL context's creation, timed: on a software renderer the slowest step of the start.
TIME_CONTEXT = """
(function () {
  var real = HTMLCanvasElement.prototype.getContext;
  window.contextMs = 0;
  HTMLCanvasElement.prototype.getContext = function () {
    var t = performance.now(), c = real.apply(this, arguments);
    window.contextMs += performance.now() - t;
    return c;
  };
})();
"""


def frames(lines):
    out = {}
    for line in lines:
        words = line.split()
        if len(words) == 4 and words[0] == "bench":
            out[(words[1], int(words[2]))] = float(words[3])
    return out


def first_frames(browser, web_build, link, loads):
    """Time to the first frame and the bytes fetched before it, each load on a new origin (so no
    service worker and no cache) served with gzip."""
    times, sizes, contexts = [], [], []
    for _ in range(loads):
        server = Server(web_build, link)
        try:
            browser.open(server.url + "/site/index.html", TIME_CONTEXT + hooks(), wait=False)
            browser.wait_for("window.vornaTest && vornaTest.firstFrame > 0", 120)
            first = browser.js("vornaTest.firstFrame")
            times.append(first)
            contexts.append(browser.js("contextMs"))
            sizes.append(browser.js(
                "performance.getEntriesByType('navigation').concat(performance.getEntriesByType("
                "'resource')).filter(function(e){return e.startTime < %f})"
                ".reduce(function(n, e){return n + e.transferSize}, 0)" % first))
        finally:
            server.close()
    return times, max(sizes), statistics.median(contexts)


def long_tasks(browser, web_build):
    """The main thread's tasks over 50 ms at 4x CPU throttling: loading, the crawl, s, a walk."""
    server = Server(web_build)
    try:
        browser.send("Emulation.setCPUThrottlingRate", {"rate": 4})
        browser.open(server.url + "/site/index.html", TIME_CONTEXT + hooks(), wait=False)
        browser.wait_for("window.vornaTest && vornaTest.firstFrame > 0", 120)
        time.sleep(3)
        for key in ("s", "up", "up", "right", "up", "b", "b"):
            browser.key(key)
            time.sleep(0.6)
        time.sleep(2)
        tasks = browser.js("vornaTest.longTasks")
        context = browser.js("contextMs")
    finally:
        browser.send("Emulation.setCPUThrottlingRate", {"rate": 1})
        server.close()
    return tasks, context


def site_sizes(web_build):
    site = os.path.join(web_build, "site")
    rows = []
    for name in sorted(os.listdir(site)):
        with open(os.path.join(site, name), "rb") as f:
            data = f.read()
        rows.append((name, len(data), len(gzip.compress(data, 9))))
    return rows


def main():
    web_build, host_build = (os.path.abspath(a) for a in sys.argv[1:3])
    count = sys.argv[3] if len(sys.argv) > 3 else "30"
    load = os.getloadavg()[0]
    native = frames(run_native_scenes(os.path.join(host_build, "tests", "web_scenes"),
                                      os.path.join(host_build, "run"), ["bench", SCENARIO, count],
                                      tempfile.mkdtemp(prefix="vorna-bench-")).splitlines())
    server = Server(web_build)
    browser = Browser()
    try:
        browser.open(server.url + "/scenes/scenes.html?bench&" + count)
        browser.wait_for("window.finished", 600)
        page = frames(browser.js("window.lines"))
        browser.send("Network.enable")
        browser.send("Network.setCacheDisabled", {"cacheDisabled": True})
        loopback, before, context_loopback = first_frames(browser, web_build, None, LOADS)
        slow, _, context_slow = first_frames(browser, web_build, Link(*SLOW_4G), SLOW_LOADS)
        tasks, context_throttled = long_tasks(browser, web_build)
    finally:
        browser.close()
        server.close()

    print("frame, median of %s (ms)   native   browser   ratio" % count)
    for key in sorted(native, key=lambda k: (k[0] != "eye", k[1])):
        print("  %-8s %2d              %8.2f  %8.2f  %5.2f" %
              (key[0], key[1], native[key], page[key], page[key] / native[key]))
    rows = site_sizes(web_build)
    print("site                           bytes      gzip -9")
    for name, plain, packed in rows:
        print("  %-24s %10d %10d" % (name, plain, packed))
    opus = sum(p for n, _, p in rows if not n.endswith(".mp3"))
    everything = sum(p for n, _, p in rows)
    heaviest = max(tasks, key=lambda t: t["ms"]) if tasks else {"ms": 0, "at": 0}
    print("goal                                              measured       target")
    print("  first frame, Slow 4G + gzip (median of %d)       %6.2f s      <= 2.5 s"
          % (SLOW_LOADS, statistics.median(slow) / 1000))
    print("    (min %.2f, max %.2f; WebGL context made in %.0f ms of it)"
          % (min(slow) / 1000, max(slow) / 1000, context_slow))
    print("  first frame, loopback + gzip (median of %d)     %6.2f s      <= 0.3 s"
          % (LOADS, statistics.median(loopback) / 1000))
    print("    (min %.2f, max %.2f; WebGL context made in %.0f ms of it)"
          % (min(loopback) / 1000, max(loopback) / 1000, context_loopback))
    print("  fetched before the first frame (gzip, HTTP)     %6.0f KB     <= 200 KB" % (before / 1024))
    print("  whole site, a browser that decodes Opus (gzip)  %6.0f KB     <= 1000 KB" % (opus / 1024))
    print("    (where Opus is refused, the MP3s too: %.0f KB)" % (everything / 1024))
    print("  longest task, loading and play, 4x CPU          %6.0f ms     <= 200 ms"
          % heaviest["ms"])
    print("    (%d tasks over 50 ms, %d over 200 ms; WebGL context made in %.0f ms at 4x)"
          % (len(tasks), sum(1 for t in tasks if t["ms"] > 200), context_throttled))
    print("  long tasks at 4x (start ms: length ms): " +
          " ".join("%.0f:%.0f" % (t["at"], t["ms"]) for t in tasks[:12]))
    print("load average: %.1f at the start, %.1f at the end (2 cores; figures are noisy)"
          % (load, os.getloadavg()[0]))


if __name__ == "__main__":
    main()

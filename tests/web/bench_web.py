#!/usr/bin/python3
"""The browser build's numbers, reported and never asserted: the frame (display and glFinish)
in the page against the native one on the same scenes, everything the page downloads, plain
and gzip-compressed, and the time from navigation to the first frame over 10 loads.

    bench_web.py WEB_BUILD HOST_BUILD [FRAMES]
"""

import gzip
import os
import statistics
import sys
import tempfile

from browser import Browser, Server, run_native_scenes
from test_web import SCENARIO, hooks

LOADS = 10


def frames(lines):
    out = {}
    for line in lines:
        words = line.split()
        if len(words) == 4 and words[0] == "bench":
            out[(words[1], int(words[2]))] = float(words[3])
    return out


def main():
    web_build, host_build = (os.path.abspath(a) for a in sys.argv[1:3])
    count = sys.argv[3] if len(sys.argv) > 3 else "30"
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
        first = []
        for _ in range(LOADS):
            browser.open(server.url + "/site/index.html", hooks())
            browser.wait_for("window.vornaTest.firstFrame > 0")
            first.append(browser.js("vornaTest.firstFrame"))
    finally:
        browser.close()
        server.close()

    print("frame, median of %s (ms)   native   browser   ratio" % count)
    for key in sorted(native, key=lambda k: (k[0] != "eye", k[1])):
        print("  %-8s %2d              %8.2f  %8.2f  %5.2f" %
              (key[0], key[1], native[key], page[key], page[key] / native[key]))
    site = os.path.join(web_build, "site")
    total = total_gz = 0
    print("download                         bytes      gzip -9")
    for name in sorted(os.listdir(site)):
        if name == "FONT-LICENSE.txt":
            continue  # not loaded by the page
        with open(os.path.join(site, name), "rb") as f:
            data = f.read()
        packed = len(gzip.compress(data, 9))
        total, total_gz = total + len(data), total_gz + packed
        print("  %-24s %10d %10d" % (name, len(data), packed))
    print("  %-24s %10d %10d" % ("total", total, total_gz))
    print("first frame after navigation, %d loads, nothing cached (ms): median %.0f, min %.0f, "
          "max %.0f\n  %s" % (LOADS, statistics.median(first), min(first), max(first),
                             " ".join("%.0f" % t for t in first)))


if __name__ == "__main__":
    main()

"""The page's arrival and stay, and its sound: progress before the first frame on a slow link, a
failed download and its retry, a start without the GPU worker's help, the manifest, icons and an installable verdict, a reload with the
server stopped that plays, a rebuilt site replacing the cache; the MP3 only where Opus is
refused, the first tap unlocking the sound, a hidden or held page pausing it, q or Esc as the
very first key. Each on a copy of the site, served as static hosts serve it (gzip).
"""

import json
import os
import shutil
import subprocess
import tempfile
import time

from browser import SLOW_4G, Browser, Link, Server

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
MUSIC = "vornaTest.listen().some(function(s){return Math.abs(s.duration-%f)<0.1 && s.loudest>0.001})"
STATE = "Module.vornaAudio.ctx.state"


def check(run, seed):
    started = time.monotonic()
    root = tempfile.mkdtemp(prefix="vorna-site-")
    site = os.path.join(root, "site")
    shutil.copytree(os.path.join(run.web_build, "site"), site)
    try:
        for scenario in (slow_link, failed_download, gpu_start, sound, first_key):
            browser = Browser()
            try:
                scenario(run, browser, root)
            finally:
                browser.close()
        browser = Browser()
        try:
            installed_offline_rebuilt(run, browser, root, seed)
        finally:
            browser.close()
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("      (loading and sound checks: %.0f s)" % (time.monotonic() - started))


def slow_link(run, browser, root):
    server = Server(root, Link(*SLOW_4G))
    try:
        run.page(browser, server, wait=False)
        browser.wait_for("window.vornaTest && vornaTest.firstFrame > 0", 60)
        first = browser.js("vornaTest.firstFrame")
        samples = browser.js("vornaTest.progress")
        painted = browser.js("performance.getEntriesByName('first-contentful-paint')[0].startTime")
        steps = [s["value"] for s in samples]
        facts = {"shown throughout": all(s["shown"] for s in samples), "from 0": steps[0] == 0,
                 "growing": steps == sorted(steps),
                 "2 steps between": len({v for v in steps if 0 < v < 1}) >= 2,
                 "painted before the first frame": painted < first,
                 "gone at the first frame": not run.shows(browser, "loading")}
        run.expect(all(facts.values()),
                   "Slow 4G: the progress bar is there from the start (painted at %.1f s), moves "
                   "(%d values) and gives way to the first frame (%.1f s)"
                   % (painted / 1000, len(set(steps)), first / 1000)
                   + "".join("; not " + k for k, v in facts.items() if not v))
        print("      progress (ms:share):", " ".join("%.0f:%.2f" % (s["at"], s["value"]) for s in samples[::5]))
        sounds = browser.js("performance.getEntriesByType('resource').filter(function(e){"
                            "return /\\.(opus|mp3)$/.test(e.name)}).map(function(e){return e.startTime})")
        run.expect(all(t >= first for t in sounds), "no sound fetched before the first frame")
        browser.key("s")  # a stage started before the music has arrived starts it when it does
        early = browser.js("vornaTest.sources.length")
        browser.wait_for(MUSIC % run.music_seconds, 60)
        run.expect(early == 0, "Slow 4G: the stage started before the music arrived, and the music "
                               "started when it did (%.1f s)" % (browser.js("vornaTest.sources[0].at") / 1000))
    finally:
        server.close()


def failed_download(run, browser, root):
    server = Server(root)
    server.missing.add("/site/vorna.wasm")
    try:
        run.page(browser, server, wait=False)
        browser.wait_for("!!document.getElementById('failed') && !document.getElementById('failed').hidden", 30)
        text = browser.js("document.getElementById('failed').textContent")
        run.expect("vorna.wasm" in text and run.shows(browser, "retry") and run.shows(browser, "progress"),
                   "a failed download names its file (%r) and offers a retry" % text.strip())
        server.missing.clear()
        browser.click(*browser.center("#retry"))
        browser.wait_for("vornaTest.firstFrame > 0", 30)
        run.expect(not run.shows(browser, "failed") and not browser.exceptions(),
                   "the retry brings the game once the file is back")
    finally:
        server.close()


def gpu_start(run, browser, root):
    """The worker that starts the GPU process never holds the game back."""
    server = Server(root)
    try:
        for script, what in (("delete window.OffscreenCanvas;", "no WebGL in workers"),
                             ("window.Worker = function () {};", "a worker that never answers")):
            run.page(browser, server, wait=False, script=script)
            browser.wait_for("window.vornaTest && vornaTest.firstFrame > 0", 30)
            run.expect(not browser.exceptions(), "%s: the game starts all the same" % what)
    finally:
        server.close()


def sound(run, browser, root):
    """The first tap unlocks the sound; hidden or held, it pauses where it was; Opus refused, the
    MP3 plays, and where Opus works no MP3 is fetched."""
    server = Server(root)
    try:
        browser.send("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
        run.page(browser, server)
        browser.wait_for("vornaTest.frames > 0 && !!Module.vornaAudio.sounds['bgm.mid']", 30)
        browser.tap(*browser.center("#canvas"))
        browser.wait_for("%s == 'running'" % STATE, 10)
        browser.wait_for(MUSIC % run.music_seconds, 10)
        run.expect(True, "the first tap, on the canvas, unlocks the sound and the music starts")

        browser.js("vornaTest.hide(true)")
        browser.wait_for("%s == 'suspended'" % STATE, 5)
        paused = browser.js("Module.vornaAudio.ctx.currentTime")
        time.sleep(1)
        still = browser.js("[%s, Module.vornaAudio.ctx.currentTime]" % STATE)
        browser.js("vornaTest.hide(false)")
        browser.wait_for("%s == 'running'" % STATE, 5)
        again = browser.js("Module.vornaAudio.ctx.currentTime")
        run.expect(still == ["suspended", paused] and paused <= again < paused + 0.5,
                   "hidden, the sound pauses; shown, it goes on where it was (%.2f s)" % paused)

        browser.js("Module.vornaAudio.hold('context', true)")
        browser.wait_for("%s == 'suspended'" % STATE, 5)
        browser.js("vornaTest.hide(true); vornaTest.hide(false)")
        browser.key("s")
        time.sleep(0.3)
        held = browser.js(STATE)
        browser.js("Module.vornaAudio.hold('context', false)")
        browser.wait_for("%s == 'running'" % STATE, 5)
        run.expect(held == "suspended", "a hold keeps the sound paused through a show and a key; "
                                        "let go, it resumes")
        run.expect(not any(p.endswith(".mp3") for p in server.requests),
                   "where Opus works, no MP3 is fetched")

        browser.send("Emulation.setTouchEmulationEnabled", {"enabled": False})
        server.requests.clear()
        run.page(browser, server, noOpus=True)
        browser.wait_for("vornaTest.frames > 0", 30)
        browser.key("s")
        browser.wait_for(MUSIC % run.music_seconds, 15)
        run.expect("/site/bgm.mp3" in server.requests and not browser.exceptions(),
                   "Opus refused: the MP3 is fetched and the music starts")
    finally:
        server.close()


def first_key(run, browser, root):
    """q or Esc as the very first key, during the crawl and at the title: the game ends, the sound
    arriving afterwards finds no context, and nothing throws."""
    server = Server(root)
    try:
        for key, frames, where in (("q", 0, "the crawl"), ("escape", 300, "the title")):
            server.requests.clear()
            run.page(browser, server, hold=True)
            browser.wait_for("vornaTest.frames > 0", 30)
            browser.js("for (var i = 0; i < %d; ++i) getWasmTableEntry(GLUT.displayFunc)()" % frames)
            browser.key(key)
            browser.wait_for("!document.getElementById('message').hidden", 10)
            deadline = time.monotonic() + 10  # the music's download finishes after the end
            while "/site/bgm.opus" not in server.requests and time.monotonic() < deadline:
                time.sleep(0.1)
            time.sleep(0.5)
            run.expect(not browser.exceptions() and browser.js("Module.vornaAudio.ctx") is None,
                       "%s as the first key, at %s: the game ends and nothing throws"
                       % ("Esc" if key == "escape" else key, where))
    finally:
        server.close()


def cached_files(browser):
    """{cache name: [file names]} of the page's origin."""
    return browser.js("caches.keys().then(function(names){return Promise.all(names.map(function(n){"
                      "return caches.open(n).then(function(c){return c.keys()}).then(function(rs){"
                      "return [n, rs.map(function(r){return r.url.replace(/^.*\\//, '')}).sort()]})}))})"
                      ".then(function(pairs){var o = {}; pairs.forEach(function(p){o[p[0]] = p[1]}); return o})")


def installed_offline_rebuilt(run, browser, root, seed):
    site = os.path.join(root, "site")
    expected = sorted(n for n in os.listdir(site) if n != "sw.js" and not n.endswith(".mp3"))
    server = Server(root)
    port = server.port
    try:
        run.page(browser, server)
        browser.wait_for("vornaTest.frames > 0 && !!navigator.serviceWorker.controller", 60)
        errors = browser.send("Page.getInstallabilityErrors")["installabilityErrors"]
        manifest = browser.js("fetch('vorna.webmanifest').then(function(r){return r.json()})")
        icons = browser.js("Promise.all(%s.map(function(icon){return new Promise(function(done){"
                           "var i = new Image(); i.onload = function(){"
                           "done(i.naturalWidth + 'x' + i.naturalHeight == icon.sizes)};"
                           "i.onerror = function(){done(false)}; i.src = icon.src})}))"
                           % json.dumps(manifest["icons"]))
        run.expect(not errors and manifest["name"] == "ザルヴォス３Ｄ～ミルテカ～"
                   and manifest["short_name"] == "Vorna" and manifest["display"] in ("fullscreen", "standalone")
                   and all(icons) and {"192x192", "512x512"} <= {i["sizes"] for i in manifest["icons"]}
                   and any(i.get("purpose") == "maskable" for i in manifest["icons"]),
                   "installable: the manifest, its %d icons at their sizes (maskable too), no "
                   "installability error %s" % (len(icons), errors or ""))
        run.expect(browser.js("!!document.querySelector('link[rel=icon]') && "
                              "document.querySelector('meta[name=description]').content.length > 50"),
                   "a favicon and a meta description")
        browser.wait_for("caches.keys().then(function(k){return k.length == 1})", 30)
        cached = cached_files(browser)
        old = list(cached)[0]
        run.expect(list(cached.values()) == [expected],
                   "one cache, %s, holds every file of the site but the MP3s" % old)
    finally:
        server.close()

    # No server: the game starts and plays from the cache, music included.
    run.page(browser, server, seed=seed, hold=True)
    browser.wait_for("vornaTest.frames > 0", 30)
    browser.js("for (var i = 0; i < 300; ++i) getWasmTableEntry(GLUT.displayFunc)()")
    b = run.canvas_rect(browser)
    run.picture(browser, b, "title", "offline ")
    browser.key("s")
    browser.wait_for(MUSIC % run.music_seconds, 15)
    browser.js("vornaTest.tick(1)")
    run.picture(browser, b, "stage", "offline ")
    run.expect(not browser.exceptions(), "offline: story, stage and music, nothing thrown")

    # One file changed and the site rebuilt: the next visit replaces the whole cache.
    with open(os.path.join(site, "vorna.css"), "a", encoding="utf-8") as f:
        f.write("/* rebuilt */\n")
    subprocess.run(["cmake", "-DSITE=" + site, "-DPAGE=" + os.path.join(SOURCE, "packaging", "web"),
                    "-P", os.path.join(SOURCE, "packaging", "web", "site_files.cmake")], check=True)
    server = Server(root, port=port)
    try:
        run.page(browser, server)
        browser.wait_for("caches.keys().then(function(k){return k.length == 1 && k[0] != '%s'})" % old, 60)
        cached = cached_files(browser)
        css = browser.js("caches.match('vorna.css').then(function(r){return r.text()})")
        run.page(browser, server)
        served = browser.js("fetch('vorna.css').then(function(r){return r.text()})")
        run.expect(list(cached.values()) == [expected] and "rebuilt" in css and "rebuilt" in served
                   and list(cached)[0] in open(os.path.join(site, "sw.js"), encoding="utf-8").read(),
                   "a rebuilt site with one changed file: the next visit replaces the whole cache (%s)"
                   % list(cached)[0])
    finally:
        server.close()

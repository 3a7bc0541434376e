#!/usr/bin/python3
"""The game in headless Chromium: tests/web/scenario.txt walked with real keys and clicks, each
picture compared with the native build's picture of the same scene on the same maze, and the
sound, the page and the end checked on the way. Then a browser without WebGL, and one without
Web Audio.

    test_web.py WEB_BUILD HOST_BUILD
"""

import base64
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import gamepad_web
import loading
import phone_web
from browser import Browser, Server, compare, read_ppm, run_native_scenes

HERE = os.path.dirname(os.path.abspath(__file__))
SCENARIO = os.path.join(HERE, "scenario.txt")
EXACT = {"title", "gameover"}  # text pages: pixel for pixel
MAX_OFF_PIXELS = 125  # beyond them, at most 0.05 % of the frame off by more than 8 levels,
MAX_OFF_LEVELS = 32   # and nothing off by more than 32 away from the edges
AUDIO_STATE = "Module.vornaAudio.ctx.state"


def scenario():
    steps = []
    for line in open(SCENARIO, encoding="utf-8"):
        if line.strip() and not line.startswith("#"):
            words = line.split()
            steps.append((words[0], words[1] if len(words) > 1 else "",
                          int(words[2]) if len(words) > 2 else 1))
    return steps


def hooks(**options):
    with open(os.path.join(HERE, "hooks.js"), encoding="utf-8") as f:
        return f.read().replace("OPTIONS", json.dumps(options))


def opus_seconds(path):
    """The playback length opusinfo reports, as in "Playback length: 1m:52.142s"."""
    out = subprocess.run(["opusinfo", path], stdout=subprocess.PIPE, text=True, check=True).stdout
    minutes, seconds = re.search(r"Playback length: (\d+)m:([\d.]+)s", out).groups()
    return int(minutes) * 60 + float(seconds)


class Run:
    def __init__(self, web_build, host_build):
        self.web_build, self.host_build = web_build, host_build
        self.failures = []

    def expect(self, ok, what):
        print(("ok    " if ok else "FAIL  ") + what, flush=True)
        if not ok:
            self.failures.append(what)
        return ok

    def page(self, browser, server, wait=True, script="", **options):
        """The site's page, with the test's hooks (and `script`) run before its own scripts."""
        browser.open(server.url + "/site/index.html", hooks(**options) + script, wait)

    @staticmethod
    def canvas_rect(browser):
        rect = ("(function(){var r=document.getElementById('canvas').getBoundingClientRect();"
                "return {x:r.left+scrollX,y:r.top+scrollY,width:r.width,height:r.height};})()")
        b = browser.js(rect)
        if b["x"] % 1:  # centred half a pixel off: screenshots would resample it
            browser.resize(browser.size[0] + 1, browser.size[1])
            b = browser.js(rect)
        return b

    def picture(self, browser, b, name, where=""):
        """The canvas against the native picture `name`: the text pages exact, the others within
        the bound. The page as shown at `b` (the canvas's rectangle, shown 1:1), or with no `b`
        the canvas's own 500 x 500 pixels, however large the page shows them."""
        if b:
            browser.js("vornaTest.nextFrame()")
            shot = browser.screenshot_rgb(b)
        else:
            shot = base64.b64decode(browser.js("vornaTest.pixels()"))
            b = {"width": 500, "height": 500}
        over8, differ, worst, off_edge = compare(
            shot, read_ppm(os.path.join(self.native, name + ".ppm")), int(b["width"]))
        print("      %-12s %6d pixels differ, %4d by more than 8, worst %3d (%3d off the edges)"
              % (name, differ, over8, worst, off_edge))
        if name in EXACT:
            ok = self.expect(differ == 0, "%s%s: the same pixels as the native build" % (where, name))
        else:
            ok = self.expect(over8 <= MAX_OFF_PIXELS and off_edge <= MAX_OFF_LEVELS,
                             "%s%s: within the bound of the native picture" % (where, name))
        if not ok:  # both kept for a look, named for the walk too ("pad-stage-browser.ppm")
            keep = os.path.join(self.web_build, "test-web")
            os.makedirs(keep, exist_ok=True)
            base = os.path.join(keep, re.sub(r"[^a-z0-9]+", "-", (where + name).lower()).strip("-"))
            shutil.copy(os.path.join(self.native, name + ".ppm"), base + "-native.ppm")
            with open(base + "-browser.ppm", "wb") as f:
                f.write(b"P6\n%d %d\n255\n" % (b["width"], b["height"]) + shot)
        self.last = shot

    def walk(self, browser, server, steps, seed):
        native = tempfile.mkdtemp(prefix="vorna-native-")
        run_native_scenes(os.path.join(self.host_build, "tests", "web_scenes"),
                          os.path.join(self.host_build, "run"), ["pictures", SCENARIO, native],
                          native)
        self.native = native
        self.page(browser, server, seed=seed, hold=True)
        browser.wait_for("window.vornaTest.frames > 0")
        b = self.canvas_rect(browser)
        self.expect(browser.js("document.title") == "ザルヴォス３Ｄ～ミルテカ～", "the page's title")
        self.expect(browser.js("document.activeElement.id") == "canvas", "the canvas has the focus")
        self.expect("NOW LOADING\u2026" in browser.console(), "the console line reaches the browser console")
        self.die_seconds = opus_seconds(os.path.join(self.web_build, "site", "die.opus"))
        self.music_seconds = opus_seconds(os.path.join(self.web_build, "site", "bgm.opus"))

        def press(action, arg):
            if action == "click":
                browser.click(b["x"] + b["width"] / 2, b["y"] + b["height"] / 2)
            else:
                browser.key(arg)
        self.play(browser, steps, press, lambda name: self.picture(browser, b, name))

    def play(self, browser, steps, press, picture, checks=None):
        """The scenario's steps in the page: frames and ticks as the test holds the clock, each
        key, special key and click through press(action, arg), each picture through
        picture(name), which ends the walk by returning False, and the checks (all, or those
        named in `checks`) through check()."""
        for action, arg, times in steps:
            if action == "frames":
                browser.js("for (var i = 0; i < %d; ++i) getWasmTableEntry(GLUT.displayFunc)()" % int(arg))
            elif action == "ticks":
                browser.js("vornaTest.tick(%d)" % int(arg))
            elif action in ("key", "special", "click"):
                for _ in range(times):
                    press(action, arg)
            elif action == "picture":
                if picture(arg) is False:
                    return
            elif action == "check" and (checks is None or arg in checks):
                self.check(browser, arg)

    def check(self, browser, what):
        sounds = lambda: browser.js("vornaTest.listen()")
        if what == "silent":
            self.expect(browser.js("Module.vornaAudio.ctx") is None and not sounds(),
                        "no sound, nor any audio output made, before the first key")
        elif what == "music":
            browser.wait_for("vornaTest.sources.length > 0", 10)
            browser.wait_for("vornaTest.listen()[0].loudest > 0.001", 10)
            music = sounds()[0]
            self.expect(abs(music["duration"] - self.music_seconds) < 0.01
                        and browser.js(AUDIO_STATE) == "running",
                        "the music was decoded and started at the first key, and sounds")
            print("      music: %.1f s, peak %.4f, RMS %.4f" % (music["duration"], music["peak"], music["rms"]))
        elif what == "green":
            green = sum(1 for i in range(0, len(self.last), 3)
                        if self.last[i + 1] > 100 and self.last[i] < 80 and self.last[i + 2] < 80)
            self.expect(green > 1000, "the click shows green (%d pixels)" % green)
        elif what == "mazefile":  # written and read back in the page's memory, as natively
            with open(os.path.join(self.native, "vorna.txt"), encoding="ascii") as f:
                self.expect(browser.js("FS.readFile('vorna.txt', {encoding: 'utf8'})") == f.read(),
                            "vorna.txt in the page's memory: the native build's maze")
        elif what == "noscroll":  # in a window lower than the view
            width, height = browser.size
            browser.resize(width, 300)
            for key in ("down", " ", "right"):
                browser.key(key)
            time.sleep(0.5)  # a scroll would be animated
            side = browser.js("document.getElementById('screen').getBoundingClientRect().height")
            self.expect(browser.js("document.documentElement.scrollHeight <= window.innerHeight")
                        and browser.js("window.scrollY + window.scrollX") == 0 and side < 300,
                        "a window 300 high: the view scaled to %d, nothing to scroll, and the "
                        "arrows and space scroll nothing" % side)
            browser.resize(width, height)
        elif what == "lost":  # mid-game; the picture after it must be the one before
            browser.js("window.lose = Module.ctx.getExtension('WEBGL_lose_context'); lose.loseContext()")
            browser.wait_for("!document.getElementById('notice').hidden", 5)
            draws = browser.js("vornaTest.draws")
            for key in ("left", "b"):
                browser.key(key)
            browser.js("vornaTest.tick(100)")  # 10 s of play: 5 pixels of the life bar
            time.sleep(0.3)
            notice = browser.js("document.getElementById('notice').textContent")
            self.expect("reload" not in notice.lower() and browser.js("vornaTest.draws") == draws
                        and browser.js(AUDIO_STATE) == "suspended",
                        "the graphics context lost: the page says the game waits (%r), nothing "
                        "is drawn for 100 ticks, a turn and b, the sound is held" % notice)
            browser.js("lose.restoreContext()")
            browser.wait_for("document.getElementById('notice').hidden && %s == 'running'" % AUDIO_STATE, 10)
        elif what == "died":
            browser.wait_for("vornaTest.listen().some(function(s){return Math.abs(s.duration-%f)<0.01 && s.loudest>0.001})"
                             % self.die_seconds, 10)
            self.expect(True, "die.wav heard at the death")
            dark = sum(1 for i in range(0, len(self.last), 3) if max(self.last[i:i + 3]) < 80)
            self.expect(dark > 200, "the game-over page has near-black text (%d pixels)" % dark)
        elif what == "ended":
            browser.wait_for("getComputedStyle(document.getElementById('message')).display != 'none'",
                             10)
            frames = browser.js("vornaTest.frames")
            browser.js("vornaTest.tick(5)")
            browser.js("vornaTest.nextFrame()")
            self.expect("reload" in browser.js("document.getElementById('message').textContent").lower()
                        and not self.shows(browser, "canvas")
                        and browser.js("vornaTest.frames") == frames
                        and browser.js("Module.vornaAudio.ctx") is None,
                        "q: the loop and the sound stop, the page says the game ended")
            self.expect(not browser.exceptions(), "no uncaught exception in the page")

    # Keys the browser keeps, with the DevTools key code each is sent with.
    BROWSER_KEYS = {"F5": 116, "F11": 122, "F1": 112, "Tab": 9, "Backspace": 8, "Home": 36,
                    "End": 35, "PageDown": 34}
    GAME_KEYS = ("up", "down", "left", "right", " ", "b", "r")  # all of them do nothing at the title

    def keys(self, browser, server, seed):
        """The browser's keys reach the browser; the game's keys are held back from it while the
        game has the focus, and go to a focused button when it has not."""
        self.page(browser, server, seed=seed, hold=True)
        browser.wait_for("window.vornaTest.frames > 0")
        browser.js("for (var i = 0; i < 300; ++i) getWasmTableEntry(GLUT.displayFunc)()")
        # Noted as they arrive, after every listener of the page; then kept from the browser.
        browser.js("window.keysSeen = {}; window.addEventListener('keydown', function (e) {"
                   "keysSeen[e.key] = e.defaultPrevented; e.preventDefault(); })")
        for key, code in self.BROWSER_KEYS.items():
            browser.KEYS.setdefault(key, (key, code))

        def seen(keys):
            browser.js("keysSeen = {}")
            for key in keys:
                browser.key(key)
            return browser.js("keysSeen")
        browser_keys = seen(self.BROWSER_KEYS)
        game_keys = seen(self.GAME_KEYS)
        self.expect(not any(browser_keys.values()) and len(browser_keys) == len(self.BROWSER_KEYS),
                    "the browser's keys are the browser's: %s" % browser_keys)
        self.expect(all(game_keys.values()) and len(game_keys) == len(self.GAME_KEYS),
                    "the game's keys, the game having the focus, are the game's: %s" % game_keys)
        browser.js("document.getElementById('fullscreen').focus()")
        elsewhere = seen(self.GAME_KEYS + ("s",))
        self.expect(not any(elsewhere.values()),
                    "a button having the focus, the game's keys are the button's: %s" % elsewhere)
        self.picture(browser, None, "title", "keys elsewhere: ")  # s did not start the game
        browser.js("document.getElementById('canvas').focus()")
        browser.key("s")
        browser.js("vornaTest.tick(1)")
        self.picture(browser, None, "stage", "keys: the focus back, s: ")

    @staticmethod
    def shows(browser, element):
        return browser.js("getComputedStyle(document.getElementById('%s')).display != 'none'"
                          % element)

    def without(self, browser, server):
        for option, what in (("noWebGL", "without WebGL"),
                             ("badShaders", "WebGL that compiles no shader")):
            self.page(browser, server, **{option: True})
            browser.wait_for("!document.getElementById('message').hidden", 30)
            self.expect("WebGL" in browser.js("document.getElementById('message').textContent")
                        and self.shows(browser, "message") and not self.shows(browser, "canvas")
                        and not browser.exceptions(),
                        "%s: a message on the page, nothing thrown" % what)
        self.page(browser, server, loseEarly=True)
        browser.wait_for("vornaTest.frames > 0 && !document.getElementById('notice').hidden")
        time.sleep(0.5)
        held = "!!Module.vornaAudio.holds.context"
        waiting = (browser.js("vornaTest.draws") == 0 and self.shows(browser, "notice")
                   and browser.js(held))
        browser.js("vornaTest.restore()")
        browser.wait_for("vornaTest.draws > 0 && document.getElementById('notice').hidden", 10)
        self.expect(waiting and not browser.js(held) and not browser.exceptions()
                    and not self.shows(browser, "message"),
                    "the graphics context lost before the first frame: the page says the game "
                    "waits, the sound is held; restored, the game draws and the sound is free; "
                    "nothing thrown")
        self.page(browser, server, noWebAudio=True, hold=True)
        browser.wait_for("window.vornaTest.frames > 0")
        browser.key("s")
        browser.js("vornaTest.tick(10)")
        browser.js("vornaTest.nextFrame()")
        self.expect(browser.js("vornaTest.frames") > 1 and not browser.exceptions(),
                    "without Web Audio: silent, and the game plays")


def main():
    web_build, host_build = (os.path.abspath(a) for a in sys.argv[1:3])
    steps = scenario()
    seed = int(next(arg for action, arg, _ in steps if action == "seed"))
    run = Run(web_build, host_build)
    server = Server(web_build)
    browser = Browser()
    try:
        run.walk(browser, server, steps, seed)
        gamepad_web.walk(run, browser, server, steps, seed)
        browser.close()
        browser = Browser()
        run.keys(browser, server, seed)
        run.without(browser, server)
        phone_web.check(run, browser, server, steps, seed)
        loading.check(run, seed)
    finally:
        browser.close()
        server.close()
    print("%d failed" % len(run.failures) if run.failures else "all passed")
    return 1 if run.failures else 0


if __name__ == "__main__":
    sys.exit(main())

"""The page on phones and tablets, touch alone: the walk of tests/web/scenario.txt with its keys
and click as taps on the touch buttons and on the view, each picture compared (on the canvas's
own 500 x 500 pixels) with the native build's. The walk starts on a phone held upright, turns it
mid-stage and ends on a tablet; at each screen, and at the smallest and largest sizes in both
orientations, the page fits without scrolling, the view is the largest square and every control
is at least 44 px and beside it. Then a held button walking on as a held key does, and a hidden
page that stops the game and its sound, and the touch controls giving way to a gamepad."""

import base64
import os
import time

import gamepad_web
from browser import compare

# Where the walk goes on after each picture of the scenario: width, height, the last picture.
SCREENS = ((390, 844, "stepped"),   # a phone, upright
           (844, 390, "marked"),    # turned mid-stage
           (820, 1180, "overhead"))  # a tablet
EXTREMES = ((320, 568), (568, 320), (1024, 1366), (1366, 1024))
CONTROLS = ("step forward", "step back", "turn left", "turn right", "view from above", "start",
            "full screen")
TAPS = {("key", "s"): "start", ("key", "r"): "start", ("key", "b"): "view from above",
        ("special", "up"): "step forward", ("special", "down"): "step back",
        ("special", "left"): "turn left", ("special", "right"): "turn right"}

RECTS = """(function () {
  function rect(e) { var r = e.getBoundingClientRect(); return [r.left, r.top, r.width, r.height]; }
  var controls = {};
  document.querySelectorAll('button[aria-label]').forEach(function (b) {
    if (b.offsetWidth) controls[b.getAttribute('aria-label')] = rect(b);
  });
  var e = document.documentElement;
  return {view: rect(document.getElementById('canvas')), controls: controls,
          page: [innerWidth, innerHeight, e.scrollWidth, e.scrollHeight, visualViewport.scale],
          help: document.getElementById('help').offsetWidth > 0};
})()"""


def button(name):
    return 'button[aria-label="%s"]' % name


def layout(run, browser, width, height):
    """The page at this screen size: the checks every screen must pass."""
    browser.resize(width, height, touch=True)
    time.sleep(0.2)  # the layout follows the resize
    got = browser.js(RECTS)
    x, y, w, h = got["view"]
    fills = width if width < height else height
    overlap = lambda r: r[0] < x + w and x < r[0] + r[2] and r[1] < y + h and y < r[1] + r[3]
    inside = lambda r: r[0] >= 0 and r[1] >= 0 and r[0] + r[2] <= width and r[1] + r[3] <= height
    bad = [name for name, r in got["controls"].items()
           if r[2] < 44 or r[3] < 44 or overlap(r) or not inside(r)]
    facts = {"no scrolling or zoom": got["page"] == [width, height, width, height, 1],
             "the view the largest square": w == h == fills,
             "every control": sorted(got["controls"]) == sorted(CONTROLS),
             "no key help": not got["help"]}
    run.expect(all(facts.values()) and not bad,
               "%d x %d: no scrolling, a %d-px square view, every control 44 px or more and "
               "beside it" % (width, height, w)
               + "".join("; not " + k for k, v in facts.items() if not v)
               + ("; wrong: " + ", ".join(bad) if bad else ""))


def screenshot(browser, folder, taken):
    """The whole page, once per screen size in a run (the README shows two)."""
    if browser.size not in taken:
        taken.add(browser.size)
        with open(os.path.join(folder, "phone-%dx%d.png" % browser.size), "wb") as f:
            f.write(base64.b64decode(browser.send("Page.captureScreenshot", {"format": "png"})["data"]))


def check(run, browser, server, steps, seed):
    started = time.monotonic()
    width, height, _ = SCREENS[0]
    browser.resize(width, height, touch=True)
    # Touch events exist from the page's start; the test's gamepad is there, unplugged.
    run.page(browser, server, script=gamepad_web.pad_script(), seed=seed, hold=True)
    browser.wait_for("window.vornaTest.frames > 0")
    layout(run, browser, width, height)
    keep = os.path.join(run.web_build, "test-web")
    os.makedirs(keep, exist_ok=True)
    shot = lambda: screenshot(browser, keep, shots)
    shots = set()

    def press(action, arg):
        browser.tap(*browser.center("#canvas" if action == "click" else button(TAPS[action, arg])))

    screen = [0]

    def picture(name):
        """The picture; after a screen's last, the next screen (the phone turned, or another
        device), the same stage on it; False after the last screen's."""
        run.picture(browser, None, name, "touch %dx%d: " % browser.size)
        if name != SCREENS[screen[0]][2]:
            return True
        shot()
        screen[0] += 1
        if screen[0] == len(SCREENS):
            return False
        layout(run, browser, *SCREENS[screen[0]][:2])
        run.picture(browser, None, name, "touch %dx%d, the same stage: " % browser.size)
        shot()
        return True

    run.play(browser, steps, press, picture, ("silent", "music", "green"))

    # Held, a button goes on as a held key does: four quarter turns in 16 ticks, round to the
    # picture it started from (the life bar a pixel shorter at most). Out of the view from above
    # first.
    pixels = lambda: base64.b64decode(browser.js("vornaTest.pixels()"))
    browser.tap(*browser.center(button("step forward")))
    browser.js("vornaTest.tick(1)")
    before = pixels()
    browser.touch_down(*browser.center(button("turn right")))
    browser.js("vornaTest.tick(8)")
    half = compare(pixels(), before, 500)[0]
    browser.js("vornaTest.tick(8)")
    browser.touch_up()
    browser.js("vornaTest.tick(1)")
    round_ = compare(pixels(), before, 500)[0]
    run.expect(half > 10000 and round_ <= 10,
               "a held turn button turns again every fourth tick, as a held key does (%d pixels "
               "differ half way, %d at the end)" % (half, round_))

    # A real pad connected, the touch controls give way to it; unplugged, they are back.
    shown = ("[].filter.call(document.querySelectorAll('button[aria-label]'), function (b) {"
             "return b.offsetWidth && getComputedStyle(b).visibility == 'visible'; }).length")
    browser.js("vornaTestPad.plug(true); vornaTest.tick(1)")
    with_pad = browser.js(shown)
    browser.js("vornaTestPad.plug(false); vornaTest.tick(1)")
    run.expect(with_pad == 1 and browser.js(shown) == len(CONTROLS),
               "a gamepad plugged in hides the touch controls (full screen stays); unplugged, "
               "they are back")

    # Hidden, the game stands still: no tick, no draw, the sound paused; shown, it goes on from
    # the very picture it left (100 ticks would have taken 5 pixels off the life bar).
    before, draws = pixels(), browser.js("vornaTest.draws")
    browser.js("vornaTest.hide(true)")
    time.sleep(2)
    browser.js("vornaTest.tick(100)")
    still = browser.js("[vornaTest.draws, Module.vornaAudio.ctx.state]") == [draws, "suspended"]
    browser.js("vornaTest.hide(false)")
    browser.wait_for("Module.vornaAudio.ctx.state == 'running'", 5)
    same = pixels() == before
    draws = browser.js("vornaTest.draws")
    browser.js("vornaTest.tick(1)")
    browser.js("vornaTest.nextFrame()")  # the tick's redisplay is drawn at the next frame
    run.expect(still and same and browser.js("vornaTest.draws") > draws,
               "hidden: 2 s and 100 ticks without a tick or a draw, the sound suspended; shown, "
               "the same picture, and both go on")

    full = "!!document.fullscreenElement"
    browser.tap(*browser.center(button("full screen")))
    browser.wait_for(full, 5)
    browser.tap(*browser.center(button("full screen")))
    browser.wait_for("!" + full, 5)
    run.expect(True, "the full screen button enters full screen and leaves it")
    for size in EXTREMES:  # the layout after full screen, too
        layout(run, browser, *size)
    run.expect(not browser.exceptions(), "touch: no uncaught exception")
    print("      (touch checks: %.0f s)" % (time.monotonic() - started))

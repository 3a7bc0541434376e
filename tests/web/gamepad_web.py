"""The keyboard scenario again, played with a gamepad alone: a standard pad given to the page in
place of navigator.getGamepads (tests/web/gamepad.js), the restart and the end from a virtual pad
of the page's own (Module.vornaPads), each picture compared with the native build's as the
keyboard walk compares it. A pad press is read on the game's tick, before it, where the key it
stands for is handled before the tick too; so the same ticks make the same pictures. A pad
press is no gesture to the browser, so the sound checks are the keyboard walk's alone."""

import os

HERE = os.path.dirname(os.path.abspath(__file__))

# The scenario's keys as the standard mapping's controls.
KEYS = {"s": 9, "r": 9, "b": 3, "q": 8}  # Start, Start, Y, Back
SPECIALS = {"up": "stick", "down": 13, "left": 14, "right": 15}
CLICK = 0  # A
# The page's own pad: its Start and Back tapped between two ticks, as a short touch would be.
VIRTUAL = {"r": 9, "q": 8}


def pad_script():
    """Installs the test's pad, unplugged (vornaTestPad.plug(true) plugs it in)."""
    with open(os.path.join(HERE, "gamepad.js"), encoding="utf-8") as f:
        return f.read()


def walk(run, browser, server, steps, seed):
    run.page(browser, server, script=pad_script(), seed=seed, hold=True)
    browser.wait_for("window.vornaTest.frames > 0")
    b = run.canvas_rect(browser)
    browser.js("vornaTestPad.plug(true)")
    has_pad = "document.documentElement.hasAttribute('data-gamepad')"

    def press(action, arg):
        if action == "key" and arg in VIRTUAL:
            if arg == "q":
                browser.js("vornaTestPad.plug(false); vornaTest.tick(1)")
                run.expect(not browser.js(has_pad), "pad: no pad left, the touch controls may show")
            browser.js("(Module.vornaPads = Module.vornaPads || []).push("
                       "{buttons: Object.assign([], {%d: {pressed: false, tapped: true}})})" % VIRTUAL[arg])
            if arg == "q":
                browser.js("vornaTest.tick(1)")
                run.expect(not browser.js(has_pad), "pad: a virtual pad shows no pad to the page")
        else:
            control = CLICK if action == "click" else (KEYS if action == "key" else SPECIALS)[arg]
            browser.js("vornaTestPad.tap(%s)" % repr(control))

    def picture(name):
        run.picture(browser, b, name, "pad: ")
        if name == "stage":
            run.expect(browser.js(has_pad), "pad: the page is told a pad is connected")

    run.play(browser, steps, press, picture, ("silent", "green", "mazefile", "ended"))

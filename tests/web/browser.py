"""Headless Chromium driven through the DevTools protocol, and the pages served on 127.0.0.1."""

import base64
import http.server
import json
import os
import shutil
import socket
import subprocess
import tempfile
import threading
import sys
import time
import urllib.parse
import urllib.request

import websocket

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from serve_web import Handler  # noqa: E402  the gzip server of make serve-web

CHROMIUM_FLAGS = [
    "--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
    "--no-first-run", "--no-default-browser-check", "--disable-extensions",
    # The rule of a desktop browser, whatever headless mode would allow: no sound before a gesture.
    "--autoplay-policy=document-user-activation-required",
]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Link:
    """One network link that every response shares, as a phone's connection: each response waits
    `latency` seconds, then all send through one byte rate. Throttling here, not in the browser,
    slows the service worker's downloads too (the browser's throttling leaves them out)."""

    def __init__(self, latency, bytes_per_second):
        self.latency, self.rate = latency, bytes_per_second
        self.lock = threading.Lock()
        self.free_at = 0.0

    def send(self, size):
        with self.lock:
            self.free_at = max(time.monotonic(), self.free_at) + size / self.rate
            done = self.free_at
        time.sleep(max(0.0, done - time.monotonic()))


# Lighthouse's "Slow 4G": 562.5 ms, 1,474.56 kbit/s down.
SLOW_4G = (0.5625, 184320)


class Server:
    """Serves a folder on 127.0.0.1 only, on a free port, in a thread, as static hosts do (gzip),
    optionally through a Link. It notes every path asked for; paths in `missing` get a 404."""

    def __init__(self, root, link=None, port=0):
        self.requests, self.missing, self.link = [], set(), link
        server = self

        class Site(Handler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=root, **kwargs)

            def send_head(self):
                path = urllib.parse.urlsplit(self.path).path
                server.requests.append(path)
                if server.link:
                    time.sleep(server.link.latency)
                if path in server.missing:
                    self.send_error(404)
                    return None
                return super().send_head()

            def copyfile(self, source, output):
                try:
                    while server.link:
                        chunk = source.read(16384)
                        if not chunk:
                            return
                        server.link.send(len(chunk))
                        output.write(chunk)
                    super().copyfile(source, output)
                except ConnectionError:  # the browser dropped the request
                    pass

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), Site)
        self.port = self.httpd.server_address[1]
        self.url = "http://127.0.0.1:%d" % self.port
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """One Chromium with one page; send() waits for the answer, events are kept in order."""

    def __init__(self, width=620, height=560):
        self.profile = tempfile.mkdtemp(prefix="vorna-chromium-")
        port = free_port()
        self.process = subprocess.Popen(
            ["chromium", *CHROMIUM_FLAGS, "--remote-debugging-port=%d" % port,
             "--user-data-dir=" + self.profile, "--window-size=%d,%d" % (width, height),
             "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        target = self._page_target(port)
        self.ws = websocket.create_connection(target["webSocketDebuggerUrl"], timeout=60,
                                              suppress_origin=True)
        self.next_id = 0
        self.events = []
        self.hook = None
        for domain in ("Page", "Runtime"):
            self.send(domain + ".enable")
        self.touch = False
        self.resize(width, height)

    def resize(self, width, height, touch=False):
        """The page's window: a desktop's, or with `touch` a phone's or tablet's screen (a mobile
        viewport, touch events, a coarse pointer)."""
        self.size = (width, height)
        self.send("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": touch})
        if touch != self.touch:
            self.send("Emulation.setTouchEmulationEnabled", {"enabled": touch, "maxTouchPoints": 5})
            self.touch = touch

    def _page_target(self, port):
        deadline = time.monotonic() + 30
        while True:
            try:
                with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port) as r:
                    pages = [t for t in json.load(r) if t["type"] == "page"]
                if pages:
                    return pages[0]
            except OSError:
                pass
            if time.monotonic() > deadline:
                raise RuntimeError("chromium did not offer its DevTools port")
            time.sleep(0.1)

    def send(self, method, params=None):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params or {}}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            self.events.append(message)

    def js(self, expression):
        """The value of a page expression; promises are awaited."""
        result = self.send("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                                "returnByValue": True})
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def wait_for(self, expression, timeout=30):
        deadline = time.monotonic() + timeout
        while not self.js(expression):
            if time.monotonic() > deadline:
                raise TimeoutError(expression)
            time.sleep(0.05)

    def open(self, url, before_scripts="", wait=True):
        """Navigates to url, with `before_scripts` run in the page before any of its own; waits
        for the load to complete unless told not to. Events of earlier pages are dropped."""
        if self.hook:
            self.send("Page.removeScriptToEvaluateOnNewDocument", {"identifier": self.hook})
            self.hook = None
        if before_scripts:
            self.hook = self.send("Page.addScriptToEvaluateOnNewDocument",
                                  {"source": before_scripts})["identifier"]
        self.events = []
        self.send("Page.navigate", {"url": url})
        if wait:
            self.wait_for("document.readyState === 'complete'")

    def console(self):
        return [" ".join(str(a.get("value", "")) for a in e["params"]["args"])
                for e in self.events if e.get("method") == "Runtime.consoleAPICalled"]

    def exceptions(self):
        return [e["params"]["exceptionDetails"] for e in self.events
                if e.get("method") == "Runtime.exceptionThrown"]

    KEYS = {"up": ("ArrowUp", 38), "down": ("ArrowDown", 40), "left": ("ArrowLeft", 37),
            "right": ("ArrowRight", 39), " ": (" ", 32), "escape": ("Escape", 27)}

    def key(self, name):
        """A real key press: down (with its character), up."""
        key, code = self.KEYS[name] if name in self.KEYS else (name, ord(name.upper()))
        text = key if len(key) == 1 else ""
        dom_code = {" ": "Space"}.get(key, key if len(key) > 1 else "Key" + key.upper())
        event = {"key": key, "code": dom_code, "windowsVirtualKeyCode": code,
                 "nativeVirtualKeyCode": code}
        self.send("Input.dispatchKeyEvent", {"type": "keyDown" if text else "rawKeyDown",
                                             "text": text, **event})
        self.send("Input.dispatchKeyEvent", {"type": "keyUp", **event})

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.send("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": "left",
                                                   "clickCount": 1})

    def touch_down(self, x, y):
        """A finger put down (touch emulation must be on), until touch_up()."""
        self.send("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [{"x": x, "y": y}]})

    def touch_up(self):
        self.send("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})

    def tap(self, x, y):
        """A finger's tap: touchstart, then touchend."""
        self.touch_down(x, y)
        self.touch_up()

    def center(self, selector):
        """The page coordinates of the centre of the element a CSS selector finds."""
        return self.js("(function(){var r=document.querySelector(%s).getBoundingClientRect();"
                       "return [r.left+r.width/2, r.top+r.height/2];})()" % json.dumps(selector))

    def screenshot_rgb(self, rect):
        """The pixels of a page rectangle, top row first, as RGB bytes."""
        shot = self.send("Page.captureScreenshot", {"format": "png", "clip": {**rect, "scale": 1}})
        png = base64.b64decode(shot["data"])
        return subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=png,
                              stdout=subprocess.PIPE, check=True).stdout

    def close(self):
        try:
            self.ws.close()
        finally:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
            shutil.rmtree(self.profile, ignore_errors=True)


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    # "P6\n<w> <h>\n255\n" then the pixels
    header_end = 0
    for _ in range(3):
        header_end = data.index(b"\n", header_end) + 1
    return data[header_end:]


def compare(browser, native, width):
    """(pixels off by more than 8 in any channel, pixels off at all, largest difference, largest
    difference away from the native picture's edges). A pixel is on an edge when its 3 x 3
    neighbourhood in the native picture spans more than 32 levels: there two rasterisers may
    put the border a pixel apart, and depth tests may cut intersections differently."""
    over8 = differ = worst = worst_off_edge = 0
    for i in range(0, min(len(browser), len(native)), 3):
        d = max(abs(browser[i + k] - native[i + k]) for k in range(3))
        if not d:
            continue
        differ += 1
        worst = max(worst, d)
        over8 += d > 8
        if d > worst_off_edge and not on_edge(native, i // 3, width):
            worst_off_edge = d
    return over8, differ, worst, worst_off_edge


def on_edge(rgb, pixel, width):
    y, x = divmod(pixel, width)
    around = [((y + dy) * width + x + dx) * 3 for dy in (-1, 0, 1) for dx in (-1, 0, 1)
              if 0 <= y + dy < len(rgb) // 3 // width and 0 <= x + dx < width]
    return any(max(rgb[j + k] for j in around) - min(rgb[j + k] for j in around) > 32
               for k in range(3))


def run_native_scenes(scenes_bin, run_dir, args, work):
    """The native scene program under Xvfb in `work`, beside links to the data files."""
    for name in os.listdir(run_dir):
        if not os.access(os.path.join(run_dir, name), os.X_OK):
            os.symlink(os.path.join(run_dir, name), os.path.join(work, name))
    return subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", scenes_bin, *args],
                          cwd=work, stdout=subprocess.PIPE, text=True, check=True).stdout

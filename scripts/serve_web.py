#!/usr/bin/python3
"""Serves the browser build's folder on 127.0.0.1 as common static hosts serve a site: gzip for
text and wasm when the browser accepts it, the MIME types the page needs, Last-Modified with
If-Modified-Since. `make serve-web` runs it; the browser tests and `make lighthouse-web` serve
through its handler.

    serve_web.py FOLDER [PORT]
"""

import email.utils
import gzip
import http.server
import io
import os
import sys

COMPRESSED = {".html", ".css", ".js", ".json", ".webmanifest", ".svg", ".txt", ".wasm"}


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".webmanifest": "application/manifest+json", ".opus": "audio/ogg",
                      ".mp3": "audio/mpeg"}
    packed = {}  # (path, mtime) -> gzip bytes, shared by all requests

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path) and self.path.split("?")[0].endswith("/"):
            path = os.path.join(path, "index.html")
        extension = os.path.splitext(path)[1]
        if (extension not in COMPRESSED or not os.path.isfile(path)
                or "gzip" not in self.headers.get("Accept-Encoding", "")):
            return super().send_head()
        mtime = int(os.stat(path).st_mtime)
        since = self.headers.get("If-Modified-Since")
        if since:
            try:
                if int(email.utils.parsedate_to_datetime(since).timestamp()) >= mtime:
                    self.send_response(304)
                    self.end_headers()
                    return None
            except (TypeError, ValueError):
                pass
        key = (path, mtime)
        if key not in self.packed:
            with open(path, "rb") as f:
                self.packed[key] = gzip.compress(f.read(), 6)
        body = self.packed[key]
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(path))
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Vary", "Accept-Encoding")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Last-Modified", self.date_time_string(mtime))
        self.end_headers()
        return io.BytesIO(body)


def main():
    folder = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8000

    class Site(Handler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=folder, **kwargs)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Site)
    print("Serving %s on http://127.0.0.1:%d/ with gzip (Ctrl+C stops it)" % (folder, port),
          flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Serves a built site on the loopback address only, with the content types
the page needs (WebAssembly, the web app manifest) and no caching, so a new
build shows at the next reload.
    python3 web/serve.py --port 8080 build/web
With --host-caching it sends no Cache-Control header and leaves the browser
its own freshness rules, as many static hosts do: a file that looks hours
old is then taken from the browser's cache for minutes without asking.
"""

import argparse
import functools
import http.server

TYPES = {
    ".wasm": "application/wasm",
    ".webmanifest": "application/manifest+json",
    ".js": "text/javascript",
    ".mjs": "text/javascript",
}


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, **TYPES}

    host_caching = False

    def end_headers(self):
        if not self.host_caching:
            self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_message(self, format, *args):
        pass


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--host-caching", action="store_true")
    parser.add_argument("site")
    args = parser.parse_args()
    Handler.host_caching = args.host_caching
    handler = functools.partial(Handler, directory=args.site)
    with http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler) as server:
        server.serve_forever()


if __name__ == "__main__":
    main()

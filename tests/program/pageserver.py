#!/usr/bin/env python3
"""Serves the files of a folder on 127.0.0.1 for the whole-program tests.

Prints the port it listens on, then serves until killed. Every request is
appended to requests.log in the folder, so a test can see which pages were
fetched and when."""
import http.server
import os
import sys
import time

root = sys.argv[1]


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=root, **kwargs)

    def do_GET(self):
        with open(os.path.join(root, "requests.log"), "a") as log:
            log.write(f"{time.monotonic():.3f} {self.path}\n")
        super().do_GET()

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()

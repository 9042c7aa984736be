#!/usr/bin/env python3
"""Serves the built page on 127.0.0.1 with Python's http.server:

    python3 web/serve.py PORT DIRECTORY

Says where once it listens; a port it cannot take is one line and exit 1.
Ctrl-C stops it.
"""
import functools
import http.server
import sys


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass  # a line per request would bury the address


def main():
    port, directory = int(sys.argv[1]), sys.argv[2]
    handler = functools.partial(QuietHandler, directory=directory)
    try:
        server = http.server.ThreadingHTTPServer(('127.0.0.1', port), handler)
    except OSError as error:
        print(f'run: cannot serve on 127.0.0.1:{port}: {error.strerror}', file=sys.stderr)
        return 1
    print(f'run: the show is at http://127.0.0.1:{port}/', flush=True)
    with server:
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == '__main__':
    sys.exit(main())

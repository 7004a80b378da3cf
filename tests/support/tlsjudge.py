#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
"""A judge over TLS for tests: answers every GET with status 200 and "ALIVE <peer address>".

Usage: tlsjudge.py CERT KEY ADDRESS PORT. Runs until killed.
"""
import http.server
import ssl
import sys


class Judge(http.server.BaseHTTPRequestHandler):
    server_version = "tlsjudge/1"

    def do_GET(self):
        body = ("ALIVE " + self.client_address[0]).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    cert, key, address, port = sys.argv[1:5]
    server = http.server.ThreadingHTTPServer((address, int(port)), Judge)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    server.serve_forever()


main()

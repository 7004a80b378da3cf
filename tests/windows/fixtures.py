#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Loopback fixtures for the Windows program's end-to-end test: a site with a user's lists and an echo judge,
# and three HTTP proxies (an elite one, one that adds Via, one that refuses with 403), each on an address of
# its own. Prints the site's root and the proxies' host:port as JSON, then serves until it is killed.
import http.server
import json
import socket
import socketserver
import sys
import threading
import urllib.parse

PROXIES = [("127.0.97.1", "elite"), ("127.0.97.2", "via"), ("127.0.97.3", "refuse")]


class Site(http.server.BaseHTTPRequestHandler):
    pages = {}

    def log_message(self, *args):
        pass

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/get":
            args = dict(urllib.parse.parse_qsl(url.query))
            origin = self.client_address[0]
            if "X-Forwarded-For" in self.headers:
                origin = self.headers["X-Forwarded-For"] + ", " + origin
            body = json.dumps({"args": args, "headers": dict(self.headers.items()), "origin": origin}).encode()
        elif url.path in self.pages:
            body = self.pages[url.path].encode()
        else:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def proxy_handler(address, behaviour):
    class Proxy(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_GET(self):
            if behaviour == "refuse":
                self.send_error(403)
                return
            url = urllib.parse.urlsplit(self.path)
            if url.hostname not in ("127.0.0.1", "localhost"):
                self.send_error(502)  # loopback only
                return
            upstream = socket.create_connection((url.hostname, url.port or 80), source_address=(address, 0))
            headers = "".join(f"{k}: {v}\r\n" for k, v in self.headers.items() if k.lower() != "proxy-connection")
            if behaviour == "via":
                headers += "Via: 1.1 fixture\r\n"
            target = url.path + ("?" + url.query if url.query else "")
            upstream.sendall(f"GET {target} HTTP/1.0\r\n{headers}Connection: close\r\n\r\n".encode())
            while chunk := upstream.recv(65536):
                self.wfile.write(chunk)
            upstream.close()
            self.close_connection = True

    return Proxy


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def start(address, handler):
    server = Server((address, 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def main():
    site = start("127.0.0.1", Site)
    root = f"http://127.0.0.1:{site}"
    proxies = [f"{a}:{start(a, proxy_handler(a, b))}" for a, b in PROXIES]
    Site.pages["/list.txt"] = f"{proxies[0]}\n{proxies[1]}\nsocks5://127.0.96.1:1080\n"
    Site.pages["/table.html"] = (
        "<table><tr><td>" + "</td><td>".join(proxies[2].split(":")) + "</td></tr>"
        "<tr><td>127.0.96.2</td><td>9</td></tr></table>"
    )
    print(json.dumps({"root": root, "proxies": proxies}), flush=True)
    threading.Event().wait()


if __name__ == "__main__":
    sys.exit(main())

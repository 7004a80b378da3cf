#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
# A machine without IPv6 (a default container): a list of two refused proxies and one at [::1], validated
# through a loopback echo judge, paced and fast, ends in seconds; the [::1] row, which this machine cannot
# check, stays unjudged and is said, never deleted as failed. Needs a network namespace of its own (root);
# skipped (77) without one.
set -euo pipefail
cli=$1
unshare -n true 2>/dev/null || exit 77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/judge.py" <<'PY'
import http.server, json, socketserver, sys, urllib.parse
class Judge(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass
    def do_GET(self):
        query = dict(urllib.parse.parse_qsl(urllib.parse.urlsplit(self.path).query))
        body = json.dumps({"args": query, "headers": dict(self.headers.items()),
                           "origin": self.client_address[0]}).encode()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Judge)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
printf '127.0.0.1:9\n127.0.0.2:9\n[::1]:3128\n' >"$work/list.txt"
# shellcheck disable=SC2016
unshare -n bash -c '
    set -euo pipefail
    work=$1 cli=$2
    ip link set lo up
    echo 1 >/proc/sys/net/ipv6/conf/lo/disable_ipv6
    python3 "$work/judge.py" >"$work/port" &
    judge=$!
    trap "kill $judge" EXIT
    for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
    for fast in "" "--concurrency 3"; do
        status=0
        # shellcheck disable=SC2086
        VORIN_REGISTRY_DIR=$work/registry LANG=C.UTF-8 timeout -s KILL 20 "$cli" validate --in "$work/list.txt" \
            --judge "http://127.0.0.1:$(cat "$work/port")/get" $fast --format json >"$work/out" 2>"$work/err" ||
            status=$?
        [ "$status" -eq 0 ] || { echo "validate $fast: exit $status"; cat "$work/err"; exit 1; }
        grep -q "3128" "$work/out" || { echo "validate $fast: the [::1] row was deleted"; cat "$work/out"; exit 1; }
        grep -q "kept unjudged" "$work/err" || { echo "validate $fast: not said"; cat "$work/err"; exit 1; }
    done
' check "$work" "$cli"

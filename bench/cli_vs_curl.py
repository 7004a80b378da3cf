#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
"""vorindaili-cli's fast validation against the shell baseline, on loopback only.

Starts 1,000 fake proxies on 127.80.0.0/16 (valid, slow, refused, hanging, reset, wrong status, no
marker), then, in each round, validates them with `vorindaili-cli validate --concurrency 256` and with
`xargs -P 256` running `curl -x` under the same time-outs and the same marker test. Reports the medians of
wall and CPU time and checks that both give the same verdict for every proxy. A second part times a
200-row run with the window's pacing against its floor (200 x 120 ms plus the slowest check).

    python3 bench/cli_vs_curl.py [--cli build/src/vorindaili-cli] [--rounds 3] [--paced]
"""
import argparse
import asyncio
import json
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "soak"))
from fixtures import MARKER, proxy  # noqa: E402 - the soak's fake proxies


def behaviour(i):
    """What proxy i does, and whether a correct check calls it valid."""
    k = i % 20
    if k < 8:
        return ("valid", 0.0, True)
    if k < 11:
        return ("slow", 0.5 + (i % 3) * 1.0, True)
    if k < 14:
        return ("refused", 0.0, False)
    if k < 16:
        return ("hang", 0.0, False)
    if k < 18:
        return ("status", 0.0, False)
    if k < 19:
        return ("nomarker", 0.0, False)
    return ("reset", 0.0, False)


def address(i, base=80):
    return "127.%d.%d.%d" % (base, i // 250, i % 250 + 1)


# --- the fake proxies, in a process of their own so that their CPU time is nobody's -------------------

async def serve(count, base, port, ready_fd, paced_delays):
    servers = []
    for i in range(count):
        if paced_delays is not None:
            kind, delay = "valid", paced_delays[i]
        else:
            kind, delay, _ = behaviour(i)
        if kind == "refused":
            continue
        servers.append(await asyncio.start_server(
            lambda r, w, k=kind, d=delay: proxy(r, w, k, d), address(i, base), port, backlog=64))
    os.write(ready_fd, b"ready\n")
    await asyncio.Event().wait()


def start_proxies(count, base, port, paced_delays=None):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    r, w = os.pipe()
    pid = os.fork()
    if pid == 0:
        os.close(r)
        try:
            asyncio.run(serve(count, base, port, w, paced_delays))
        finally:
            os._exit(0)
    os.close(w)
    with os.fdopen(r) as ready:
        if ready.readline().strip() != "ready":
            sys.exit("the fake proxies did not start")
    return pid


def stop(pid):
    os.kill(pid, 15)
    os.waitpid(pid, 0)


# --- the two contenders ---------------------------------------------------------------------------------

def measured(cmd, **kw):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    t0 = time.monotonic()
    out = subprocess.run(cmd, check=True, stdout=subprocess.PIPE, **kw).stdout
    wall = time.monotonic() - t0
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return out, wall, cpu


def run_cli(cli, listfile, env, concurrency):
    args = [cli, "validate", "--in", listfile, "--format", "json"]
    if concurrency:
        args += ["--concurrency", str(concurrency)]
    out, wall, cpu = measured(args, env=env, stderr=subprocess.DEVNULL)
    valid = {r["IP地址"] + ":" + r["端口"] for r in json.loads(out)}
    return valid, wall, cpu


BASELINE = r'''
code=$(curl -s -x "$0" --connect-timeout 3 -m 15 -A "Internet Explorer 7.0" -H "Cache-Control: no-cache" \
       -o "$TMPD/$0" -w "%{http_code}" "$URL")
if [ "$code" = 200 ] && head -c 120 "$TMPD/$0" | grep -qF "$MARK"; then echo "$0 1"; else echo "$0 0"; fi
rm -f "$TMPD/$0"
'''


def run_baseline(listfile, url, tmpd):
    env = dict(os.environ, URL=url, TMPD=tmpd, LC_ALL="C")
    env["MARK"] = MARKER.decode("latin-1")  # the bytes as they are, under the C locale
    env_bytes = {k.encode(): (v.encode("latin-1") if k == "MARK" else v.encode()) for k, v in env.items()}
    with open(listfile) as f:
        out, wall, cpu = measured(["xargs", "-P", "256", "-n", "1", "sh", "-c", BASELINE], stdin=f, env=env_bytes)
    valid = {line.split()[0] for line in out.decode().splitlines() if line.endswith(" 1")}
    return valid, wall, cpu


# --- main ---------------------------------------------------------------------------------------------

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--cli", default=os.path.join(here, "..", "build", "src", "vorindaili-cli"))
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--count", type=int, default=1000)
    ap.add_argument("--paced", action="store_true", help="also time a 200-row run with the window's pacing")
    args = ap.parse_args()

    tmp = tempfile.mkdtemp(prefix="vorin-bench-")
    # Every site of the program on a closed loopback port: nothing may leave the machine.
    endpoints = os.path.join(tmp, "endpoints.conf")
    keys = ["softsite", "mainsite", "homepage", "partnerA", "partnerB", "cnp", "proxycn", "proxynet", "ros",
            "proxylists", "antipalivo", "iplookup", "admin", "sooip", "3ghttp", "haozs", "itmop"]
    with open(endpoints, "w") as f:
        f.writelines("%s=http://127.0.0.1:9\n" % k for k in keys)
    os.makedirs(os.path.join(tmp, "registry"))
    env = dict(os.environ, VORIN_ENDPOINTS=endpoints, VORIN_REGISTRY_DIR=os.path.join(tmp, "registry"),
               VORIN_DESKTOP_PROXY="0", GSETTINGS_BACKEND="memory")
    url = "http://127.0.0.1:9/ip2city.asp"

    port = 8080
    listfile = os.path.join(tmp, "list.txt")
    with open(listfile, "w") as f:
        f.writelines("%s:%d\n" % (address(i), port) for i in range(args.count))
    truth = {"%s:%d" % (address(i), port) for i in range(args.count) if behaviour(i)[2]}

    pid = start_proxies(args.count, 80, port)
    rows = []
    disagreements = 0
    try:
        for n in range(args.rounds):
            cli_valid, cli_wall, cli_cpu = run_cli(args.cli, listfile, env, 256)
            base_valid, base_wall, base_cpu = run_baseline(listfile, url, tmp)
            agree = cli_valid == base_valid
            disagreements += not agree
            rows.append((cli_wall, cli_cpu, base_wall, base_cpu))
            print("round %d: vorindaili-cli wall %.2f s cpu %.2f s valid %d | xargs+curl wall %.2f s cpu %.2f s "
                  "valid %d | verdicts %s, expected %s" % (
                      n + 1, cli_wall, cli_cpu, len(cli_valid), base_wall, base_cpu, len(base_valid),
                      "agree" if agree else "DIFFER", "yes" if cli_valid == truth else "NO"), flush=True)
            if not agree:
                print("  only vorindaili-cli:", sorted(cli_valid - base_valid)[:10])
                print("  only curl:", sorted(base_valid - cli_valid)[:10])
    finally:
        stop(pid)

    med = [statistics.median(c) for c in zip(*rows)]
    print("median of %d rounds, %d proxies (%d valid): vorindaili-cli wall %.2f s cpu %.2f s; "
          "xargs -P 256 curl wall %.2f s cpu %.2f s" % (args.rounds, args.count, len(truth), *med))
    ok = disagreements == 0 and med[0] <= med[2] and med[1] < med[3]

    if args.paced:
        delays = [0.0] * 200
        delays[100] = 0.4  # the slowest check
        paced_list = os.path.join(tmp, "paced.txt")
        with open(paced_list, "w") as f:
            f.writelines("%s:%d\n" % (address(i, 81), port) for i in range(200))
        pid = start_proxies(200, 81, port, delays)
        try:
            walls = []
            for n in range(args.rounds):
                valid, wall, _ = run_cli(args.cli, paced_list, env, 0)
                walls.append(wall)
                print("paced round %d: wall %.3f s, valid %d" % (n + 1, wall, len(valid)), flush=True)
        finally:
            stop(pid)
        floor = 200 * 0.120 + max(delays)
        wall = statistics.median(walls)
        print("paced 200 rows: median wall %.3f s, floor %.3f s, ratio %.4f" % (wall, floor, wall / floor))
        ok = ok and wall <= floor * 1.03

    print("targets met" if ok else "TARGETS MISSED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())

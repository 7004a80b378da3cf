#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
"""The mixed loopback fake proxies of bench/cli_vs_curl.py, as a server of their own for the C++ benchmarks.

    python3 bench/fakeproxies.py COUNT BASE PORT

Proxy i listens at 127.BASE.(i//250).(i%250+1):PORT (nothing listens for the refused ones) and
behaves as cli_vs_curl.behaviour(i) says. Prints "ready" once all listen, then serves until killed.
"""
import os
import resource
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import asyncio  # noqa: E402
import cli_vs_curl  # noqa: E402


def main():
    count, base, port = (int(a) for a in sys.argv[1:4])
    # A listening socket per proxy and one per connection: root may raise its own hard limit.
    want = count + 8192
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    try:
        resource.setrlimit(resource.RLIMIT_NOFILE, (max(want, hard), max(want, hard)))
    except (ValueError, OSError):
        resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    asyncio.run(cli_vs_curl.serve(count, base, port, sys.stdout.fileno(), None))


if __name__ == "__main__":
    main()

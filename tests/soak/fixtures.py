#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
"""Misbehaving loopback peers for the soak test, in a process of their own.

Sites (one server at --sites HOST:PORT answering every source's paths): each request is answered at random
with a good list page, a slow one, a dropped connection, a stall, garbage bytes, an oversized page or 404.
Fake proxies at 127.60.x.y:8080 (--proxies N): proxy i is valid, slow, hanging, resetting, answering 403, or
refusing (nothing listens), by i % 10. bench/cli_vs_curl.py uses the same fake proxies (proxy()). Prints "ready" once everything listens; on SIGTERM prints how many
answers of each kind the sites gave and ends.
"""
import argparse
import asyncio
import os
import random
import resource
import signal
import socket

MARKER = "您的IP地址".encode("gbk")
ADMIN_MARKER = ('<h3><span class="boxhead">' + "最新更新资源" + '</span><span class="morelinks">').encode("gbk")
KINDS = ["valid", "valid", "valid", "valid", "valid", "slow", "hang", "reset", "status", "refused"]


def proxy_address(i):
    return "127.60.%d.%d" % (i // 250, i % 250 + 1)


async def read_request(reader):
    try:
        await reader.readuntil(b"\r\n\r\n")
        return True
    except Exception:
        return False


def reset(writer):
    sock = writer.get_extra_info("socket")
    if sock is not None:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
    writer.transport.abort()


async def answer(writer, status, body):
    writer.write(b"HTTP/1.1 %d X\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % (status, len(body)))
    for at in range(0, len(body), 1 << 20):
        writer.write(body[at:at + (1 << 20)])
        await writer.drain()
    writer.close()


async def hold(reader):
    """Never answers; returns when the client gives up."""
    try:
        while await reader.read(4096):
            pass
    except Exception:
        pass


def list_page(rng, proxies, path):
    picks = [proxy_address(rng.randrange(proxies)) + ":8080" for _ in range(rng.randrange(5, 60))]
    if path.endswith(".xml"):
        items = "".join("<item><title>%s</title></item>\n" % p for p in picks)
        return ("<rss>\n<channel>\n<image>\n</image>\n%s</channel>\n</rss>\n" % items).encode()
    if path == "/ip/":
        links = "".join('<li><a href="/ip/a%d.html" title="t">a</a>\r\n' % rng.randrange(100) for _ in range(3))
        return b"<html>\r\n" + ADMIN_MARKER + b"\r\n<ul>\r\n" + links.encode() + b"<li>x</li>\r\n"
    return "\n".join(picks).encode() + b"\n"


def garbage(rng):
    pieces = [b"<td>", b"</table>", b":", b"\x00", b"\r", b"\n", "北京".encode("gbk"), b"\xff\x81", b"127.60.0.1",
              b"<script>decode(\"", b"\");</script>", b"<TR align=", b"document.write(\":\"+r"]
    out = bytearray()
    size = rng.randrange(1, 200_000)
    while len(out) < size:
        out += rng.choice(pieces) if rng.random() < 0.5 else os.urandom(rng.randrange(1, 64))
    return bytes(out)


async def proxy(reader, writer, kind, delay):
    try:
        await proxy_answer(reader, writer, kind, delay)
    except (ConnectionError, OSError):
        pass  # the checker gave up first (a stop, a cancelled run)


async def proxy_answer(reader, writer, kind, delay):
    if not await read_request(reader):
        writer.close()
        return
    if kind == "hang":
        await hold(reader)
        writer.close()
    elif kind == "reset":
        reset(writer)
    elif kind == "status":
        await answer(writer, 403, MARKER)
    elif kind == "nomarker":
        await answer(writer, 200, b"<html>nothing here</html>")
    else:
        if delay:
            await asyncio.sleep(delay)
        await answer(writer, 200, MARKER + b"127.0.0.1")


async def main(args):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    rng = random.Random(args.seed)
    counts = {}
    host, port = args.sites.rsplit(":", 1)

    async def on_site(r, w):
        # The path decides the page's shape (a feed, the discovery index, a plain list).
        try:
            line = await r.readline()
        except Exception:
            w.close()
            return
        parts = line.split()
        target = parts[1].decode("latin-1") if len(parts) > 1 else "/"
        path = "/" + target.split("/", 3)[3] if target.startswith("http://") and target.count("/") >= 3 else target
        await site_for(r, w, path)

    async def site_for(r, w, path):
        if not await read_request(r):
            w.close()
            return
        roll = rng.random()
        kind = ("good" if roll < 0.55 else "slow" if roll < 0.65 else "drop" if roll < 0.73 else "stall"
                if roll < 0.78 else "garbage" if roll < 0.90 else "oversized" if roll < 0.93 else "missing")
        counts[kind] = counts.get(kind, 0) + 1
        try:
            if kind == "drop":
                reset(w)
            elif kind == "stall":
                await hold(r)
                w.close()
            elif kind == "garbage":
                await answer(w, 200, garbage(rng))
            elif kind == "oversized":
                await answer(w, 200, b"127.60.0.1:8080\n" * ((args.oversize_mb << 20) // 16 + 1))
            elif kind == "missing":
                await answer(w, 404, b"not found")
            else:
                if kind == "slow":
                    await asyncio.sleep(rng.uniform(0.3, 1.5))
                await answer(w, 200, list_page(rng, args.proxies, path))
        except (ConnectionError, OSError):
            pass

    await asyncio.start_server(on_site, host, int(port), backlog=256)
    for i in range(args.proxies):
        kind = KINDS[i % 10]
        if kind == "refused":
            continue
        delay = 0.3 + (i % 7) * 0.1 if kind == "slow" else 0.0
        await asyncio.start_server(lambda r, w, k=kind, d=delay: proxy(r, w, k, d), proxy_address(i), 8080,
                                   backlog=512)
    done = asyncio.Event()
    asyncio.get_running_loop().add_signal_handler(signal.SIGTERM, done.set)
    print("ready", flush=True)
    await done.wait()
    # What was injected, for the soak's report.
    print(" ".join("%s=%d" % kv for kv in sorted(counts.items())), flush=True)


if __name__ == "__main__":
    ap = argparse.ArgumentParser()
    ap.add_argument("--sites", required=True)
    ap.add_argument("--proxies", type=int, default=200)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--oversize-mb", type=int, default=9)
    asyncio.run(main(ap.parse_args()))

#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
"""The local relay through minutes of dying free proxies, on loopback.

    python3 bench/churn.py build/src/vorindaili-cli [SECONDS]    (default 180; as root in a namespace:
    unshare -n bash -c 'ip link set lo up && python3 bench/churn.py ...')

A list site offers the proxies alive now (8 at a time). Each lives 15 to 40 s and then dies, half of them
by closing (their port refuses, their connections drop) and half by going silent (they accept and never
answer); a new one on a new address takes its place. A client asks a page through the relay every 0.5 s
(each ask may take 45 s). Two relays in turn, each for SECONDS: the baseline, started with the first list
only (relay --in), and the relay that refills itself from the list site (relay --in --sources). Prints for
each the share of asks answered and how many reached the site from anything but a live proxy of the list
(a direct connection: there must be none).
"""
import asyncio
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

MARKER = "您的IP地址".encode("gbk")
SITE = "127.0.95.2"
ALIVE = 8


class World:
    def __init__(self):
        self.alive = {}  # address -> server
        self.proxies = set()  # every address a proxy ever had
        self.next = 1
        self.site_port = 0
        self.peers = []  # who asked for /page

    async def pipe(self, reader, writer):
        try:
            while True:
                data = await reader.read(65536)
                if not data:
                    break
                writer.write(data)
                await writer.drain()
        except (ConnectionError, OSError):
            pass
        finally:
            try:
                writer.close()
            except OSError:
                pass

    async def proxy(self, address, state, reader, writer):
        state["conns"].add(writer)
        try:
            if state["silent"]:
                try:
                    await asyncio.sleep(3600)
                except asyncio.CancelledError:
                    pass
                return
            head = await reader.readuntil(b"\r\n\r\n")
            line = head.split(b"\r\n", 1)[0].decode("latin1").split(" ")
            if line[0] == "CONNECT":
                host, port = line[1].rsplit(":", 1)
                ur, uw = await asyncio.open_connection(host, int(port), local_addr=(address, 0))
                writer.write(b"HTTP/1.1 200 Connection established\r\n\r\n")
            else:
                rest = line[1][len("http://"):]
                authority, path = (rest.split("/", 1) + [""])[:2]
                host, port = (authority.split(":") + ["80"])[:2]
                ur, uw = await asyncio.open_connection(host, int(port), local_addr=(address, 0))
                lines = head.split(b"\r\n")[1:]
                kept = [h for h in lines if h and not h.lower().startswith(b"proxy-")]
                uw.write(("%s /%s %s\r\n" % (line[0], path, line[2])).encode() + b"\r\n".join(kept) +
                         b"\r\n\r\n")
            await asyncio.gather(self.pipe(reader, uw), self.pipe(ur, writer))
        except (asyncio.IncompleteReadError, ConnectionError, OSError, ValueError, IndexError):
            pass
        finally:
            state["conns"].discard(writer)
            try:
                writer.close()
            except OSError:
                pass

    async def start_proxy(self):
        address = "127.95.%d.%d" % (self.next // 250, self.next % 250 + 1)
        self.next += 1
        state = {"silent": False, "conns": set()}
        server = await asyncio.start_server(lambda r, w: self.proxy(address, state, r, w), address, 8080)
        self.alive[address] = server
        self.proxies.add(address)
        asyncio.get_running_loop().create_task(self.die(address, server, state))

    async def die(self, address, server, state):
        await asyncio.sleep(random.uniform(15, 40))
        del self.alive[address]
        silent = random.random() >= 0.5
        if hasattr(self, "begin"):
            self.events.append((time.monotonic() - self.begin, "%s dies %s" % (address, "silent" if silent else "closing")))
        if not silent:
            server.close()
            for w in list(state["conns"]):
                w.transport.abort()
        else:
            state["silent"] = True
        await self.start_proxy()

    async def site(self, reader, writer):
        try:
            head = await reader.readuntil(b"\r\n\r\n")
            path = head.split(b" ")[1].decode("latin1")
            peer = writer.get_extra_info("peername")[0]
            if path.startswith("/ip2city.asp"):
                body = MARKER + peer.encode()
            elif path == "/page":
                self.peers.append(peer)
                body = b"ok\n"
            elif path == "/list.txt":
                body = "".join("%s:8080\n" % a for a in self.alive).encode()
            else:
                writer.write(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
                return
            writer.write(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % len(body) + body)
            await writer.drain()
        except (asyncio.IncompleteReadError, ConnectionError, OSError, IndexError):
            pass
        finally:
            writer.close()


async def ask(relay_port, url):
    try:
        reader, writer = await asyncio.wait_for(asyncio.open_connection("127.0.0.1", relay_port), 5)
        writer.write(("GET %s HTTP/1.1\r\nHost: %s\r\n\r\n" % (url, SITE)).encode())
        answer = await asyncio.wait_for(reader.read(-1), 45)
        writer.close()
        if answer.startswith(b"HTTP/1.1 200") and answer.endswith(b"ok\n"):
            return "answered"
        return answer[:12].decode("latin1") or "closed"
    except asyncio.TimeoutError:
        return "timed out"
    except (ConnectionError, OSError):
        return "refused"


async def run(world, cli, seconds, refill, port, work):
    first = os.path.join(work, "first.txt")
    with open(first, "w") as f:
        f.write("".join("%s:8080\n" % a for a in world.alive))
    args = [cli, "relay", "--in", first, "--listen", "127.0.0.1:%d" % port, "--judges",
            os.path.join(work, "judges.txt")]
    if refill:
        args += ["--sources", os.path.join(work, "sources.txt")]
    process = await asyncio.create_subprocess_exec(*args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=dict(os.environ, **{
        "VORIN_ENDPOINTS": os.path.join(work, "endpoints.conf"),
        "VORIN_REGISTRY_DIR": os.path.join(work, "registry-%d" % port),
        "XDG_CACHE_HOME": os.path.join(work, "cache"), "LANG": "C.UTF-8"}))

    async def said():  # what the relay says, with the time it said it
        while line := await process.stderr.readline():
            world.events.append((time.monotonic() - world.begin, "relay: " + line.decode(errors="replace").rstrip()))
    world.events = []
    world.begin = time.monotonic()
    listening = asyncio.get_running_loop().create_task(said())
    for _ in range(100):
        try:
            _, w = await asyncio.open_connection("127.0.0.1", port)
            w.close()
            break
        except OSError:
            await asyncio.sleep(0.1)
    world.peers.clear()
    url = "http://%s:%d/page" % (SITE, world.site_port)
    asks, starts = [], []
    begin = world.begin = time.monotonic()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        asks.append(asyncio.get_running_loop().create_task(ask(port, url)))
        starts.append(time.monotonic())
        await asyncio.sleep(0.5)
    outcomes = await asyncio.gather(*asks)
    if process.returncode is None:  # the baseline ends by itself once its list has died
        process.send_signal(signal.SIGINT)
    await process.wait()
    await listening
    answered = outcomes.count("answered")
    failed = {o: outcomes.count(o) for o in set(outcomes) if o != "answered"}
    direct = sum(1 for p in world.peers if p not in world.proxies)
    if os.environ.get("CHURN_LOGS"):
        for t, o in zip(starts, outcomes):
            if o != "answered":
                world.events.append((t - begin, "ask failed: " + o))
        for t, e in sorted(world.events):
            print("%7.1f %s" % (t, e))
    print("%-9s %5d asks  %6.2f %% answered  %d direct  failed: %s" %
          ("refill" if refill else "baseline", len(asks), 100.0 * answered / len(asks), direct, failed), flush=True)


async def main():
    cli = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 180
    random.seed(7)
    world = World()
    server = await asyncio.start_server(world.site, SITE, 0)
    world.site_port = server.sockets[0].getsockname()[1]
    root = "http://%s:%d" % (SITE, world.site_port)
    for _ in range(ALIVE):
        await world.start_proxy()
    with tempfile.TemporaryDirectory(prefix="vorin-churn-") as work:
        keys = ["softsite", "mainsite", "homepage", "partnerA", "partnerB", "cnp", "proxycn", "proxynet", "ros",
                "proxylists", "antipalivo", "iplookup", "admin", "sooip", "haozs", "itmop", "github", "azenv",
                "proxylisten", "httpheader", "httpbin", "httpbingo", "httpbintls"]
        with open(os.path.join(work, "endpoints.conf"), "w") as f:
            f.write("".join("%s=%s\n" % (k, root) for k in keys))
        with open(os.path.join(work, "judges.txt"), "w") as f:
            f.write("builtin\n")
        with open(os.path.join(work, "sources.txt"), "w") as f:
            f.write(root + "/list.txt\n")
        if os.environ.get("CHURN_ONLY") != "refill":
            await run(world, cli, seconds, False, 18931, work)
        await run(world, cli, seconds, True, 18932, work)


asyncio.run(main())

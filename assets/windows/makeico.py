#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
"""Packs the program's icon PNGs (assets/icons/hicolor, drawn by drawskin.py) into one Windows .ico, each size
an entry of its own stored as PNG, as Windows has read them since Vista.

Usage: makeico.py OUT.ico ICON.png [ICON.png ...]"""

import struct
import sys


def size_of(png):
    if png[:8] != b"\x89PNG\r\n\x1a\n" or png[12:16] != b"IHDR":
        sys.exit("not a PNG")
    return struct.unpack(">II", png[16:24])


def main():
    out, pictures = sys.argv[1], [open(p, "rb").read() for p in sys.argv[2:]]
    pictures.sort(key=lambda p: size_of(p)[0])
    head = struct.pack("<HHH", 0, 1, len(pictures))
    entries, offset = b"", 6 + 16 * len(pictures)
    for png in pictures:
        w, h = size_of(png)
        # A width or height of 256 is written as 0; 32 bits a pixel.
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    with open(out, "wb") as f:
        f.write(head + entries + b"".join(pictures))


if __name__ == "__main__":
    main()

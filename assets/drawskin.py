#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
"""Draws the window skin: panel strips and four-frame button strips, as PNG files in assets/skin/.

Run it again after a change: python3 assets/drawskin.py [--out DIR]; with --icons [DIR] it draws the program's icon
in the desktop's sizes instead, into DIR (default assets/icons/hicolor/). Standard library only: shapes are rasterised
with 4 x 4 supersampling and written with zlib. Frames of a button strip: normal, hover, pressed, and a
fourth that only the two proxy buttons fill (a pale look)."""

import math
import os
import struct
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "skin")
if len(sys.argv) == 3 and sys.argv[1] == "--out":
    OUT = sys.argv[2]
SS = 4  # subsamples per pixel and axis


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]  # straight RGBA floats 0..255

    def blend(self, x, y, color, cover):
        if cover <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        r, g, b, a = color
        sa = a / 255.0 * cover
        d = self.px[y * self.w + x]
        da = d[3] / 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        for i, c in enumerate((r, g, b)):
            d[i] = (c * sa + d[i] * da * (1 - sa)) / oa
        d[3] = oa * 255.0

    def shape(self, inside, color, box=None, shade=None):
        """Fills the set of points where inside(x, y) holds; shade(x, y) may vary the colour."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)) + 1)):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)) + 1)):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                if hits:
                    self.blend(x, y, shade(x + 0.5, y + 0.5) if shade else color, hits / (SS * SS))

    def save(self, name, alpha=True):
        rows = []
        for y in range(self.h):
            row = bytearray([0])
            for x in range(self.w):
                p = self.px[y * self.w + x]
                vals = [int(round(max(0, min(255, v)))) for v in p]
                row += bytes(vals if alpha else vals[:3])
            rows.append(bytes(row))
        raw = b"".join(rows)

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

        head = struct.pack(">IIBBBBB", self.w, self.h, 8, 6 if alpha else 2, 0, 0, 0)
        data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


# ---- shape helpers (all in pixel coordinates) ----

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, w):
    return lambda x, y: (r - w) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(pts):
    def inside(x, y):
        c = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    return inside


def segment(ax, ay, bx, by, w):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy or 1)))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
    return inside


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def minus(f, g):
    return lambda x, y: f(x, y) and not g(x, y)


def vgrad(y0, y1, top, bottom):
    def shade(x, y):
        t = max(0.0, min(1.0, (y - y0) / float(y1 - y0 or 1)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(4))
    return shade


# ---- icons: each draws into a frame-sized box at offset (ox, oy) with scale s (design box 24 x 24) ----

def icon_download(c, ox, oy, s, pale):
    col = (60, 160, 70, 255)
    P = lambda x, y: (ox + x * s, oy + y * s)
    c.shape(polygon([P(9, 2), P(15, 2), P(15, 10), P(19.5, 10), P(12, 17.5), P(4.5, 10), P(9, 10)]), col,
            shade=vgrad(oy + 2 * s, oy + 18 * s, (120, 210, 110, 255), (40, 130, 50, 255)))
    c.shape(union(segment(*P(3, 16), *P(3, 21), 2.2 * s), segment(*P(3, 21), *P(21, 21), 2.2 * s),
                  segment(*P(21, 21), *P(21, 16), 2.2 * s)), (70, 90, 110, 255))


def icon_check(c, ox, oy, s, pale):
    P = lambda x, y: (ox + x * s, oy + y * s)
    cx, cy = P(12, 12)
    c.shape(circle(cx, cy, 10 * s), None, shade=vgrad(oy + 2 * s, oy + 22 * s, (110, 170, 240, 255), (30, 90, 190, 255)))
    c.shape(union(segment(*P(6.5, 12.5), *P(10.5, 16.5), 2.6 * s), segment(*P(10.5, 16.5), *P(17.5, 7.5), 2.6 * s)),
            (255, 255, 255, 255))


def icon_stop(c, ox, oy, s, pale):
    P = lambda x, y: (ox + x * s, oy + y * s)
    pts = [P(12 + 10 * math.cos(math.radians(22.5 + 45 * i)), 12 + 10 * math.sin(math.radians(22.5 + 45 * i)))
           for i in range(8)]
    c.shape(polygon(pts), None, shade=vgrad(oy + 2 * s, oy + 22 * s, (240, 100, 90, 255), (180, 30, 30, 255)))
    c.shape(segment(*P(7, 12), *P(17, 12), 3 * s), (255, 255, 255, 255))


def globe(c, P, s, top, bottom):
    cx, cy = P(11, 12)
    c.shape(circle(cx, cy, 9 * s), None, shade=vgrad(cy - 9 * s, cy + 9 * s, top, bottom))
    line = (255, 255, 255, 200)
    c.shape(ring(cx, cy, 9 * s, 1.2 * s), line)
    c.shape(lambda x, y: abs(((x - cx) / (4.2 * s)) ** 2 + ((y - cy) / (9 * s)) ** 2 - 1) < 0.18, line)
    c.shape(segment(cx - 9 * s, cy, cx + 9 * s, cy, 1.1 * s), line)
    c.shape(segment(cx, cy - 9 * s, cx, cy + 9 * s, 1.1 * s), line)


def icon_setproxy(c, ox, oy, s, pale):
    P = lambda x, y: (ox + x * s, oy + y * s)
    globe(c, P, s, (120, 190, 250, 255), (40, 110, 200, 255))
    bx, by = P(18.5, 18.5)
    c.shape(circle(bx, by, 5 * s), (60, 170, 70, 255))
    c.shape(union(segment(*P(16, 18.5), *P(18, 20.5), 1.6 * s), segment(*P(18, 20.5), *P(21.2, 16.6), 1.6 * s)),
            (255, 255, 255, 255))


def icon_stopproxy(c, ox, oy, s, pale):
    P = lambda x, y: (ox + x * s, oy + y * s)
    globe(c, P, s, (170, 190, 210, 255), (100, 120, 150, 255))
    bx, by = P(18.5, 18.5)
    c.shape(circle(bx, by, 5 * s), (210, 50, 40, 255))
    c.shape(segment(*P(16, 18.5), *P(21, 18.5), 1.8 * s), (255, 255, 255, 255))


def icon_settings(c, ox, oy, s, pale):
    P = lambda x, y: (ox + x * s, oy + y * s)
    cx, cy = P(12, 12)
    teeth = [segment(cx + 7 * s * math.cos(a), cy + 7 * s * math.sin(a), cx + 10 * s * math.cos(a),
                     cy + 10 * s * math.sin(a), 3.2 * s) for a in [i * math.pi / 4 for i in range(8)]]
    gear = minus(union(circle(cx, cy, 7.6 * s), *teeth), circle(cx, cy, 3.2 * s))
    c.shape(gear, None, shade=vgrad(cy - 10 * s, cy + 10 * s, (170, 180, 195, 255), (90, 100, 120, 255)))


def icon_save(c, ox, oy, s, pale):
    P = lambda x, y: (ox + x * s, oy + y * s)
    c.shape(rrect(*P(3, 3), *P(21, 21), 2 * s), None,
            shade=vgrad(oy + 3 * s, oy + 21 * s, (90, 130, 210, 255), (40, 70, 150, 255)))
    c.shape(rrect(*P(6.5, 3), *P(17.5, 9.5), 0.8 * s), (235, 240, 250, 255))
    c.shape(rrect(*P(13.5, 4), *P(16, 8.5), 0.5 * s), (60, 90, 160, 255))
    c.shape(rrect(*P(6, 13), *P(18, 21), 1 * s), (250, 250, 250, 255))
    c.shape(segment(*P(8, 16), *P(16, 16), 1 * s), (160, 170, 190, 255))
    c.shape(segment(*P(8, 18.5), *P(16, 18.5), 1 * s), (160, 170, 190, 255))


def icon_webcheck(c, ox, oy, s, pale):
    P = lambda x, y: (ox + x * s, oy + y * s)
    c.shape(rrect(*P(3, 2), *P(16, 20), 1.2 * s), (250, 250, 250, 255))
    c.shape(minus(rrect(*P(3, 2), *P(16, 20), 1.2 * s), rrect(*P(4.2, 3.2), *P(14.8, 18.8), 0.6 * s)),
            (120, 130, 150, 255))
    for yy in (6, 9, 12):
        c.shape(segment(*P(6, yy), *P(13, yy), 1 * s), (150, 170, 200, 255))
    cx, cy = P(15, 14)
    c.shape(circle(cx, cy, 4.2 * s), (200, 230, 255, 160))
    c.shape(ring(cx, cy, 5 * s, 1.8 * s), (40, 90, 170, 255))
    c.shape(segment(*P(18.5, 17.5), *P(22, 21), 2.6 * s), (70, 80, 100, 255))


def icon_home(c, ox, oy, s, pale):
    P = lambda x, y: (ox + x * s, oy + y * s)
    c.shape(polygon([P(12, 2.5), P(22, 11.5), P(2, 11.5)]), None,
            shade=vgrad(oy + 2 * s, oy + 12 * s, (240, 120, 80, 255), (190, 60, 40, 255)))
    c.shape(rrect(*P(5, 11), *P(19, 21), 0.8 * s), (245, 235, 210, 255))
    c.shape(rrect(*P(10, 14), *P(14, 21), 0.6 * s), (150, 100, 60, 255))


def icon_menu(c, ox, oy, s, pale):
    w, h = c.w / 4.0, c.h
    c.shape(polygon([(ox + w * 0.3, oy + h * 0.25), (ox + w * 0.7, oy + h * 0.25), (ox + w * 0.5, oy + h * 0.8)]),
            (60, 80, 110, 255))


def icon_minimise(c, ox, oy, s, pale):
    w, h = c.w / 4.0, c.h
    c.shape(segment(ox + w * 0.32, oy + h * 0.62, ox + w * 0.68, oy + h * 0.62, 2.0), (40, 60, 95, 255))


def icon_close(c, ox, oy, s, pale):
    w, h = c.w / 4.0, c.h
    cx, cy = ox + w / 2, oy + h / 2
    d = h * 0.22
    # Dark on the light title bar, white on the red of hover and press.
    c.shape(union(segment(cx - d, cy - d, cx + d, cy + d, 1.8), segment(cx - d, cy + d, cx + d, cy - d, 1.8)),
            (40, 60, 95, 255) if ox == 0 else (255, 255, 255, 255))


def button(name, fw, fh, icon, pale_fourth=False, titlebar=False):
    c = Canvas(fw * 4, fh)
    size = min(fw, fh) - 6
    s = size / 24.0
    for frame in range(4):
        ox = frame * fw
        if frame == 3 and not pale_fourth:
            continue
        if titlebar:
            # Title-bar buttons: a faint cap, brighter on hover, darker when pressed; close turns red.
            base = {0: (255, 255, 255, 60), 1: (255, 255, 255, 170), 2: (70, 100, 150, 120)}.get(frame, (0, 0, 0, 0))
            if name.startswith("vrpngbtn1") and frame in (1, 2):
                base = (225, 60, 50, 235) if frame == 1 else (170, 30, 25, 245)
            c.shape(rrect(ox + 1, 0, ox + fw - 1, fh - 2, 3), base)
        elif frame in (1, 2):
            top, bottom = ((255, 255, 255, 230), (205, 225, 250, 230)) if frame == 1 else \
                ((170, 195, 230, 240), (215, 230, 250, 240))
            c.shape(rrect(ox + 0.5, 0.5, ox + fw - 0.5, fh - 0.5, 4), None, shade=vgrad(0, fh, top, bottom))
            c.shape(minus(rrect(ox + 0.5, 0.5, ox + fw - 0.5, fh - 0.5, 4), rrect(ox + 1.5, 1.5, ox + fw - 1.5, fh - 1.5, 3)),
                    (110, 150, 210, 255) if frame == 1 else (70, 110, 180, 255))
        shift = 1 if frame == 2 else 0  # the pressed look moves the icon down and right
        if titlebar or name == "btn_menu":
            icon(c, ox, shift, s, False)  # these draw relative to the whole frame
            continue
        x = (fw - size) / 2.0
        y = (fh - size) / 2.0
        if frame < 3:
            icon(c, ox + x + shift, y + shift, s, False)
            continue
        # The pale look: the icon washed out to grey at half strength.
        pale = Canvas(fw, fh)
        icon(pale, x, y, s, True)
        for py in range(fh):
            for px in range(fw):
                p = pale.px[py * fw + px]
                grey = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2]
                c.blend(ox + px, py, (grey * 0.5 + 127,) * 3 + (255,), p[3] / 255.0 * 0.55)
    c.save(name + ".png")


def panels():
    # Title bar: a light sky gradient (the caption is written in the window-text colour, black) with a
    # glossy upper half and a darker rule at the bottom; the ends fade (alpha).
    t = Canvas(720, 46)
    t.shape(lambda x, y: True, None, shade=vgrad(0, 46, (226, 237, 251, 255), (160, 190, 230, 255)))
    t.shape(lambda x, y: y < 20, None, shade=vgrad(0, 20, (255, 255, 255, 120), (255, 255, 255, 20)))
    t.shape(lambda x, y: y >= 44, (90, 125, 175, 255))
    for x in range(720):  # the outer ends fade slightly, so the corners look soft on any background
        edge = min(x, 719 - x)
        if edge < 3:
            for y in range(46):
                t.px[y * 720 + x][3] *= 0.55 + 0.15 * edge
    t.save("pan_top.png")
    # Toolbar: a light silver-blue gradient with a hairline at the bottom.
    b = Canvas(60, 24, (255, 255, 255, 255))
    b.shape(lambda x, y: True, None, shade=vgrad(0, 24, (250, 252, 255, 255), (214, 226, 242, 255)))
    b.shape(lambda x, y: y >= 23, (160, 180, 210, 255))
    b.save("imagepanle4.png", alpha=False)
    # Browser frame: white with a thin grey rule at the top.
    f = Canvas(60, 25, (255, 255, 255, 255))
    f.shape(lambda x, y: y < 1, (170, 185, 205, 255))
    f.save("imagepanle3.png", alpha=False)
    # Status bar: pale blue with a soft top highlight.
    s = Canvas(210, 64, (255, 255, 255, 255))
    s.shape(lambda x, y: True, None, shade=vgrad(0, 64, (238, 243, 250, 255), (196, 212, 234, 255)))
    s.shape(lambda x, y: y < 2, (150, 170, 205, 255))
    s.save("Pan_bot.png", alpha=False)


def app_icons(out):
    # The program's icon in the desktop's sizes: the set-proxy globe with its tick on a pale rounded tile.
    for n in (16, 24, 32, 48, 64, 128, 256):
        c = Canvas(n, n)
        r = max(2.0, n * 0.18)
        c.shape(rrect(0.5, 0.5, n - 0.5, n - 0.5, r), None, shade=vgrad(0, n, (240, 247, 255, 255), (170, 200, 240, 255)))
        s = n / 25.0
        icon_setproxy(c, n * 0.04, n * 0.01, s, False)
        folder = os.path.join(out, "%dx%d" % (n, n), "apps")
        os.makedirs(folder, exist_ok=True)
        c.save(os.path.join(folder, "vorindaili.png"))


def main():
    if len(sys.argv) in (2, 3) and sys.argv[1] == "--icons":
        default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons", "hicolor")
        app_icons(sys.argv[2] if len(sys.argv) == 3 else default)
        return
    os.makedirs(OUT, exist_ok=True)
    panels()
    button("vrpngbtn1", 46, 18, icon_close, titlebar=True)
    button("vrpngbtn2", 27, 18, icon_minimise, titlebar=True)
    button("BTN_DOWNLIST", 32, 30, icon_download)
    button("BTN_CHECK", 32, 30, icon_check)
    button("BTN_STOP", 35, 29, icon_stop)
    button("BTN_STARTPROXY", 29, 29, icon_setproxy, pale_fourth=True)
    button("BTN_STOPPROXY", 29, 29, icon_stopproxy, pale_fourth=True)
    button("BTN_SETUP", 44, 30, icon_settings)
    button("BTN_SAVE", 29, 29, icon_save)
    button("BTN_VAIL", 35, 29, icon_webcheck)
    button("BTN_ABOUT", 35, 29, icon_home)
    button("btn_menu", 24, 10, icon_menu, titlebar=False)


if __name__ == "__main__":
    main()

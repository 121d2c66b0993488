#!/usr/bin/env python3
"""Draws Tarvo's window icon (device.ico), start-dialog picture (splash.png)
and the desktop icons the package installs (packaging/icons: hicolor PNGs at
the usual sizes and a scalable SVG of the same drawing).

Plain procedural drawing with the standard library only, so the artwork can be
regenerated anywhere: python3 make_artwork.py (writes next to this script and
into packaging/icons).
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ICONS = os.path.join(HERE, "..", "..", "..", "packaging", "icons")
ICON_NAME = "org.tarvo.Tarvo"
HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def over(dst, src, alpha):
    """Composites colour src with coverage alpha over RGBA dst."""
    if alpha <= 0:
        return dst
    sa = alpha * (src[3] / 255.0 if len(src) > 3 else 1.0)
    da = dst[3] / 255.0
    oa = sa + da * (1 - sa)
    if oa <= 0:
        return (0, 0, 0, 0)
    rgb = [(src[i] * sa + dst[i] * da * (1 - sa)) / oa for i in range(3)]
    return (rgb[0], rgb[1], rgb[2], oa * 255.0)


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0), ss=3):
        self.w, self.h, self.ss = w, h, ss
        self.px = [[tuple(fill) for _ in range(w)] for _ in range(h)]

    def shape(self, inside, colour, box=None):
        """Fills the points where inside(x, y) holds, antialiased by supersampling."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        n = self.ss
        for y in range(y0, y1):
            row = self.px[y]
            for x in range(x0, x1):
                hits = 0
                for sy in range(n):
                    for sx in range(n):
                        if inside(x + (sx + 0.5) / n, y + (sy + 0.5) / n):
                            hits += 1
                if hits:
                    c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                    row[x] = over(row[x], c, hits / (n * n))

    def rgba_rows(self):
        for row in self.px:
            yield bytes(int(round(max(0, min(255, v)))) for p in row for v in p)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def draw_device(c, s, ox=0.0, oy=0.0):
    """The show-controlled device: a projector body with a lens throwing a beam."""
    beam = polygon([(ox + 0.58 * s, oy + 0.42 * s), (ox + 1.0 * s, oy + 0.10 * s),
                    (ox + 1.0 * s, oy + 0.74 * s)])
    c.shape(beam, lambda x, y: (255, 214, 102, 150 * (1 - (x - ox) / s * 0.6)))
    body = rounded_rect(ox + 0.06 * s, oy + 0.30 * s, ox + 0.72 * s, oy + 0.80 * s, 0.09 * s)
    c.shape(body, lambda x, y: mix((82, 124, 196, 255), (34, 58, 112, 255), (y - oy) / s))
    c.shape(rounded_rect(ox + 0.12 * s, oy + 0.70 * s, ox + 0.22 * s, oy + 0.88 * s, 0.03 * s),
            (34, 58, 112, 255))
    c.shape(rounded_rect(ox + 0.56 * s, oy + 0.70 * s, ox + 0.66 * s, oy + 0.88 * s, 0.03 * s),
            (34, 58, 112, 255))
    c.shape(circle(ox + 0.55 * s, oy + 0.55 * s, 0.17 * s), (24, 32, 52, 255))
    c.shape(circle(ox + 0.55 * s, oy + 0.55 * s, 0.11 * s), (255, 226, 140, 255))
    c.shape(circle(ox + 0.52 * s, oy + 0.52 * s, 0.04 * s), (255, 255, 240, 255))
    for i in range(3):
        c.shape(circle(ox + (0.16 + 0.07 * i) * s, oy + 0.40 * s, 0.022 * s),
                [(120, 230, 140, 255), (255, 190, 70, 255), (240, 90, 80, 255)][i])


# 5 x 7 block letters drawn for this picture.
GLYPHS = {
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "V": ["#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
}


def draw_word(c, word, x, y, cell, colour):
    for k, ch in enumerate(word):
        for j, line in enumerate(GLYPHS[ch]):
            for i, mark in enumerate(line):
                if mark == "#":
                    bx = x + (k * 6 + i) * cell
                    by = y + j * cell
                    c.shape(rounded_rect(bx + 0.5, by + 0.5, bx + cell - 0.5, by + cell - 0.5, cell * 0.25),
                            colour, (bx, by, bx + cell, by + cell))


def png_bytes(c):
    raw = b"".join(b"\x00" + row for row in c.rgba_rows())
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", c.w, c.h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico_bytes(canvases):
    """An ICO file with one 32-bit BMP entry per canvas (with its AND mask)."""
    images = []
    for c in canvases:
        rows = list(c.rgba_rows())
        xor = b"".join(bytes(v for i in range(0, len(r), 4) for v in (r[i + 2], r[i + 1], r[i], r[i + 3]))
                       for r in reversed(rows))
        mask_stride = ((c.w + 31) // 32) * 4
        mask = b"\x00" * (mask_stride * c.h)
        header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((c.w, c.h, header + xor + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(d for _, _, d in images)


def icon(size):
    c = Canvas(size, size, ss=4)
    draw_device(c, size)
    return c


def splash():
    w, h = 500, 200
    c = Canvas(w, h, ss=2)
    c.shape(lambda x, y: True, lambda x, y: mix((16, 24, 48, 255), (44, 70, 128, 255), y / h))
    # Stage floor and three spotlight cones from the rig.
    c.shape(polygon([(0, 168), (w, 168), (w, h), (0, h)]), (12, 16, 30, 255))
    for cx, col in ((300, (255, 214, 102, 70)), (380, (140, 200, 255, 60)), (460, (255, 140, 120, 60))):
        c.shape(polygon([(cx - 6, 0), (cx + 6, 0), (cx + 46, 168), (cx - 46, 168)]), col)
        c.shape(lambda x, y, cx=cx: ((x - cx) / 50.0) ** 2 + ((y - 170) / 8.0) ** 2 <= 1, col[:3] + (110,))
    c.shape(rounded_rect(250, 0, 500, 8, 2), (70, 78, 96, 255))
    draw_device(c, 110, 30, 40)
    draw_word(c, "TARVO", 166, 56, 9, (245, 240, 225, 255))
    # A thin signal line running from the device to the rig.
    c.shape(lambda x, y: 150 <= x <= 470 and abs(y - (140 + 6 * math.sin(x / 9.0))) <= 1.2,
            (120, 230, 140, 200), (150, 120, 470, 160))
    return c


def svg_icon():
    """draw_device as SVG on a 1 x 1 box scaled to 256: the same shapes and colours."""
    def rect(x0, y0, x1, y1, r, fill):
        return ('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>'
                % (x0, y0, x1 - x0, y1 - y0, r, fill))

    def disc(cx, cy, r, fill):
        return '<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (cx, cy, r, fill)

    lamps = ["#78e68c", "#ffbe46", "#f05a50"]
    parts = [
        '<polygon points="0.58,0.42 1,0.10 1,0.74" fill="url(#beam)"/>',
        rect(0.06, 0.30, 0.72, 0.80, 0.09, "url(#body)"),
        rect(0.12, 0.70, 0.22, 0.88, 0.03, "#223a70"),
        rect(0.56, 0.70, 0.66, 0.88, 0.03, "#223a70"),
        disc(0.55, 0.55, 0.17, "#182034"),
        disc(0.55, 0.55, 0.11, "#ffe28c"),
        disc(0.52, 0.52, 0.04, "#fffff0"),
    ] + [disc(0.16 + 0.07 * i, 0.40, 0.022, lamps[i]) for i in range(3)]
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">\n'
            '  <defs>\n'
            '    <linearGradient id="beam" x1="0.58" y1="0" x2="1" y2="0" gradientUnits="userSpaceOnUse">\n'
            '      <stop offset="0" stop-color="#ffd666" stop-opacity="0.39"/>\n'
            '      <stop offset="1" stop-color="#ffd666" stop-opacity="0.24"/>\n'
            '    </linearGradient>\n'
            '    <linearGradient id="body" x1="0" y1="0" x2="0" y2="1" gradientUnits="userSpaceOnUse">\n'
            '      <stop offset="0" stop-color="#527cc4"/>\n'
            '      <stop offset="1" stop-color="#223a70"/>\n'
            '    </linearGradient>\n'
            '  </defs>\n'
            '  <g transform="scale(256)">\n    ' + "\n    ".join(parts) + '\n  </g>\n</svg>\n')


def main():
    with open(os.path.join(HERE, "splash.png"), "wb") as f:
        f.write(png_bytes(splash()))
    with open(os.path.join(HERE, "device.ico"), "wb") as f:
        f.write(ico_bytes([icon(16), icon(32), icon(48)]))
    for size in HICOLOR_SIZES:
        folder = os.path.join(ICONS, "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, ICON_NAME + ".png"), "wb") as f:
            f.write(png_bytes(icon(size)))
    folder = os.path.join(ICONS, "hicolor", "scalable", "apps")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, ICON_NAME + ".svg"), "w") as f:
        f.write(svg_icon())


if __name__ == "__main__":
    main()

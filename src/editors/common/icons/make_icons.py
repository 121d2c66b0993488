#!/usr/bin/env python3
"""Draws the list buttons' own icons, used where the desktop's icon theme has
none: list-add, edit-copy, list-remove, go-up and go-down, each at 16 px and
at 32 px (@2x). Standard library only: python3 make_icons.py writes the PNGs
next to this script.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
INK = (60, 60, 60)
SS = 4  # samples per pixel side


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def frame(x0, y0, x1, y1, w):
    outer, inner = rect(x0, y0, x1, y1), rect(x0 + w, y0 + w, x1 - w, y1 - w)
    return lambda x, y: outer(x, y) and not inner(x, y)


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


# Drawn on a 16 unit grid; straight edges on whole units stay sharp at 16 px.
def arrow_up(x, y):
    return union(polygon([(8, 2), (14, 8), (2, 8)]), rect(7, 7.5, 9, 14))(x, y)


SHAPES = {
    "list-add": union(rect(7, 2, 9, 14), rect(2, 7, 14, 9)),
    "list-remove": rect(2, 7, 14, 9),
    "edit-copy": union(minus(frame(1, 1, 10, 11, 2), rect(4, 4, 15, 15)), frame(5, 5, 15, 15, 2)),
    "go-up": arrow_up,
    "go-down": lambda x, y: arrow_up(x, 16 - y),
}


def png(shape, size):
    scale = 16.0 / size
    rows = []
    for py in range(size):
        row = bytearray(b"\x00")
        for px in range(size):
            hits = sum(shape((px + (sx + 0.5) / SS) * scale, (py + (sy + 0.5) / SS) * scale)
                       for sy in range(SS) for sx in range(SS))
            row += bytes(INK) + bytes([round(255 * hits / (SS * SS))])
        rows.append(bytes(row))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    for name, shape in SHAPES.items():
        for size, suffix in ((16, ""), (32, "@2x")):
            with open(os.path.join(HERE, name + suffix + ".png"), "wb") as out:
                out.write(png(shape, size))

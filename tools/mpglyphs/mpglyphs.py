#!/usr/bin/env python3
"""Draws the media player's 27 button glyphs (enabled, disabled and coloured, for play, pause,
stop, next, previous, step, back, record and eject) as 24-bit BMP files on the olive ground
the player leaves out. Run by hand when a glyph changes, then commit what it writes.

Usage: mpglyphs.py OUT_DIR
"""
import os
import struct
import sys

W, H = 16, 12
OLIVE = (128, 128, 0)
BLACK = (0, 0, 0)
GREY = (128, 128, 128)
WHITE = (255, 255, 255)
COLOURS = {
    "MPPLAY": (0, 160, 0), "MPPAUSE": (200, 160, 0), "MPSTOP": (0, 0, 0), "MPNEXT": (0, 0, 200),
    "MPPREV": (0, 0, 200), "MPSTEP": (0, 0, 200), "MPBACK": (0, 0, 200), "MPRECORD": (220, 0, 0),
    "MPEJECT": (0, 0, 200),
}


def tri_right(x0, y0, h):
    """A right-pointing triangle h rows high, its tip (h + 1) // 2 pixels right of x0."""
    return {(x0 + dx, y0 + r) for r in range(h) for dx in range(min(r, h - 1 - r) + 1)}


def tri_left(x1, y0, h):
    return {(x1 - dx, y0 + r) for r in range(h) for dx in range(min(r, h - 1 - r) + 1)}


def bar(x0, y0, w, h):
    return {(x0 + dx, y0 + dy) for dx in range(w) for dy in range(h)}


def shape(name):
    if name == "MPPLAY":
        return tri_right(5, 1, 9)
    if name == "MPPAUSE":
        return bar(5, 2, 2, 8) | bar(9, 2, 2, 8)
    if name == "MPSTOP":
        return bar(4, 2, 8, 8)
    if name == "MPNEXT":
        return tri_right(3, 1, 9) | tri_right(8, 1, 9) - set() | bar(13, 1, 1, 9)
    if name == "MPPREV":
        return bar(2, 1, 1, 9) | tri_left(7, 1, 9) | tri_left(12, 1, 9)
    if name == "MPSTEP":
        return bar(4, 1, 2, 9) | tri_right(7, 1, 9)
    if name == "MPBACK":
        return tri_left(8, 1, 9) | bar(10, 1, 2, 9)
    if name == "MPRECORD":
        return {(x, y) for x in range(W) for y in range(H) if (x - 7.5) ** 2 + (y - 5.5) ** 2 <= 16}
    if name == "MPEJECT":
        up = {(7 - dx + c, 1 + r) for r in range(5) for dx in [r] for c in range(2 * r + 2)}
        return up | bar(2, 8, 12, 2)
    raise ValueError(name)


def write_bmp(path, pixels):
    row = (W * 3 + 3) & ~3
    data = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up
        line = bytearray()
        for x in range(W):
            r, g, b = pixels[y][x]
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(head + info + data)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name in COLOURS:
        pts = {(x, y) for x, y in shape(name) if 0 <= x < W and 0 <= y < H}
        for state in ("EN", "DI", "CL"):
            px = [[OLIVE] * W for _ in range(H)]
            if state == "DI":
                # The system's disabled look: a white copy one pixel down and right, grey on top.
                for x, y in pts:
                    if x + 1 < W and y + 1 < H:
                        px[y + 1][x + 1] = WHITE
                for x, y in pts:
                    px[y][x] = GREY
            else:
                colour = BLACK if state == "EN" else COLOURS[name]
                for x, y in pts:
                    px[y][x] = colour
            write_bmp(os.path.join(out, f"{state.lower()}_{name.lower()}.bmp"), px)


if __name__ == "__main__":
    main()

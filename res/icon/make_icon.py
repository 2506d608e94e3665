#!/usr/bin/env python3
"""Draws the Brevanto icon: a stick spectrum on a baseline, crossed by a mass-defect window
(the yellow band); the peaks inside the window, which a rule keeps, are red, the others grey.

Writes brevanto-32.png and brevanto-16.png (16-colour palette images) into this folder:
    python3 res/icon/make_icon.py
"""
import os
import struct
import zlib

# The 16 colours of the classic icon palette; FUCHSIA is never drawn and stands for
# transparency.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, NAVY, SILVER, GREY, RED, YELLOW, CLEAR, WHITE = 0, 3, 4, 7, 8, 9, 11, 13, 15

# Per size: the window's columns, the baseline row and the peaks as (column, height, width).
DESIGNS = {
    32: dict(window=(13, 19), baseline=27, axis=(3, 28),
             peaks=[(5, 8, 1), (8, 14, 2), (11, 6, 1), (14, 12, 1), (16, 21, 2), (18, 9, 1),
                    (22, 11, 2), (25, 5, 1), (27, 16, 1)]),
    16: dict(window=(6, 9), baseline=13, axis=(2, 13),
             peaks=[(3, 4, 1), (5, 7, 1), (7, 10, 1), (9, 5, 1), (11, 6, 1), (13, 3, 1)]),
}


def draw(size, window, baseline, axis, peaks):
    image = [[WHITE] * size for _ in range(size)]
    last = size - 1
    for i in range(size):
        image[0][i] = image[last][i] = image[i][0] = image[i][last] = NAVY
    for x, y in ((0, 0), (last, 0), (0, last), (last, last)):
        image[y][x] = CLEAR
    # The window runs from top to bottom of the tile, edged by dotted lines.
    left, right = window
    for y in range(2, last - 1):
        for x in range(left, right + 1):
            image[y][x] = YELLOW
        if y % 2 == 0:
            image[y][left - 1] = image[y][right + 1] = OLIVE
    for x in range(axis[0], axis[1] + 1):
        image[baseline][x] = BLACK
    for column, height, width in peaks:
        for x in range(column, column + width):
            colour = RED if left <= x <= right else GREY
            for y in range(baseline - height, baseline):
                image[y][x] = colour
    return image


def png(image):
    size = len(image)
    raw = b""
    for row in image:
        packed = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
        raw += b"\x00" + packed

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0)
    palette = b"".join(bytes(colour) for colour in PALETTE)
    alpha = bytes(0 if i == CLEAR else 255 for i in range(CLEAR + 1))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette) +
            chunk(b"tRNS", alpha) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for size, design in DESIGNS.items():
        path = os.path.join(folder, f"brevanto-{size}.png")
        with open(path, "wb") as out:
            out.write(png(draw(size, **design)))
        print(path)


if __name__ == "__main__":
    main()

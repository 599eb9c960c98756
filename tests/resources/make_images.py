#!/usr/bin/env python3
"""Writes the test images of the resource tests: small PNG files whose pixels
follow simple formulas that the tests compute again."""
import struct
import sys
import zlib


def write_png(path, width, height, color_type, pixel):
    channels = {2: 3, 6: 4}[color_type]
    rows = []
    for y in range(height):
        row = bytearray([0])  # filter: none
        for x in range(width):
            row += bytes(pixel(x, y)[:channels])
        rows.append(bytes(row))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, color_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(b"".join(rows))) + chunk(b"IEND", b""))


def main(out):
    # 16 x 16 icon image: transparent 2 x 2 corner, blue 100.
    write_png(f"{out}/icon16.png", 16, 16, 6,
              lambda x, y: (x * 16, y * 16, 100, 0 if x < 2 and y < 2 else 255))
    # 32 x 32 icon image: transparent 4 x 4 corner, blue 200.
    write_png(f"{out}/icon32.png", 32, 32, 6,
              lambda x, y: (x * 8, y * 8, 200, 0 if x < 4 and y < 4 else 255))
    # 20 x 10 bitmap without alpha channel.
    write_png(f"{out}/bitmap.png", 20, 10, 2, lambda x, y: (x * 12, y * 25, 7))


if __name__ == "__main__":
    main(sys.argv[1])

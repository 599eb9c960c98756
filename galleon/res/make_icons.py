#!/usr/bin/env python3
"""Draws the plug-in's 16 x 16 page icons as PNG files (run by hand; the
results are committed beside this script)."""
import struct, zlib, os

def png(path, pixels):
    h = len(pixels); w = len(pixels[0])
    raw = b''.join(b'\x00' + b''.join(bytes(p) for p in row) for row in pixels)
    def chunk(t, d):
        c = struct.pack('>I', len(d)) + t + d
        return c + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    open(path, 'wb').write(data)

def canvas():
    return [[(0, 0, 0, 0) for _ in range(16)] for _ in range(16)]

def rect(c, x0, y0, x1, y1, col):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            c[y][x] = col

def frame(c, x0, y0, x1, y1, col):
    for x in range(x0, x1 + 1):
        c[y0][x] = col; c[y1][x] = col
    for y in range(y0, y1 + 1):
        c[y][x0] = col; c[y][x1] = col

def disc(c, cx, cy, r, col):
    for y in range(16):
        for x in range(16):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                c[y][x] = col

OUT = (40, 60, 90, 255)
here = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'icons')

# Photo share: a framed landscape picture.
c = canvas()
rect(c, 1, 2, 14, 13, (255, 255, 255, 255)); frame(c, 1, 2, 14, 13, OUT)
rect(c, 2, 3, 13, 8, (120, 180, 235, 255))
rect(c, 2, 9, 13, 12, (90, 160, 80, 255))
disc(c, 10, 5, 1.6, (250, 210, 60, 255))
for i in range(5):
    rect(c, 3 + i, 8 - i, 11 - i, 8 - i, (70, 130, 70, 255))
png(os.path.join(here, 'tabicon.png'), c)

# Options: a gear.
c = canvas()
disc(c, 7.5, 7.5, 6.2, OUT); disc(c, 7.5, 7.5, 5.2, (160, 170, 185, 255))
for (x, y) in [(7, 0), (8, 0), (7, 15), (8, 15), (0, 7), (0, 8), (15, 7), (15, 8)]:
    c[y][x] = OUT
disc(c, 7.5, 7.5, 2.2, (255, 255, 255, 255))
png(os.path.join(here, 'options.png'), c)

# Security: a padlock.
c = canvas()
frame(c, 4, 1, 11, 8, OUT); rect(c, 5, 2, 10, 7, (0, 0, 0, 0))
rect(c, 2, 7, 13, 14, (220, 170, 40, 255)); frame(c, 2, 7, 13, 14, OUT)
rect(c, 7, 9, 8, 12, OUT)
png(os.path.join(here, 'security.png'), c)

# Log: a page of lines.
c = canvas()
rect(c, 3, 1, 12, 14, (255, 255, 255, 255)); frame(c, 3, 1, 12, 14, OUT)
for y in (4, 6, 8, 10, 12):
    rect(c, 5, y, 10, y, (90, 120, 170, 255))
png(os.path.join(here, 'log.png'), c)

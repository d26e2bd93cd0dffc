#!/usr/bin/env python3
"""Draws the program's icon: a page of text with a round blue badge that holds
a musical note. Writes res/tagscribe.ico (16, 32 and 48 pixels, 32-bit BGRA
bitmaps with alpha) and, with --preview FILE, an enlarged PNG sheet to look at.

Only the standard library is used. Shapes are described in a 48-unit square and
rasterised with 8x8 supersampling per pixel; the page's text lines are snapped
to whole pixels at every size so that the small icons stay crisp.

Usage: scripts/make-icon.py [--out res/tagscribe.ico] [--preview icon.png]
"""
import argparse
import math
import os
import struct
import zlib

SIZES = (16, 32, 48)
SUBSAMPLES = 8

BORDER = (0x3A, 0x48, 0x5C)
PAPER = (0xFF, 0xFF, 0xFF)
FOLD = (0xD3, 0xDB, 0xE6)
TEXT = (0x8F, 0x9E, 0xB2)
BADGE = (0x23, 0x6B, 0xD8)
NOTE = (0xFF, 0xFF, 0xFF)


# --- shapes: each is a predicate on a point in the 48-unit design square ----

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


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry, degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0
    return inside


def layers(size):
    """Returns (colour, shape) pairs, bottom first, for one icon size."""
    unit = size / 48.0

    def snap(v):
        # Text lines sit on whole pixels of this size, given back in design units.
        return round(v * unit) / unit

    line_height = max(1, round(2.2 * unit)) / unit
    border = max(1, round(1.6 * unit)) / unit

    page = [(7, 2), (31, 2), (41, 12), (41, 46), (7, 46)]
    inner = [(7 + border, 2 + border), (31 - border * 0.4, 2 + border),
             (41 - border, 12 + border * 0.4), (41 - border, 46 - border),
             (7 + border, 46 - border)]
    fold = [(31, 2), (31, 12), (41, 12)]
    fold_inner = [(31 + border * 0.2, 2 + border * 2.2), (31 + border * 0.2, 12 - border * 0.8),
                  (41 - border * 2.2, 12 - border * 0.8)]

    out = [(BORDER, polygon(page)), (PAPER, polygon(inner)),
           (BORDER, polygon(fold)), (FOLD, polygon(fold_inner))]

    # Lines of text; the lower ones stop short of the badge.
    rows = [(11.5, 27.5), (17.5, 35), (23.5, 35), (29.5, 23)]
    if size <= 16:
        rows = [(12.5, 27), (20.5, 35), (28.5, 22)]
    for y, right in rows:
        top = snap(y)
        out.append((TEXT, rect(snap(12.5), top, snap(right), top + line_height)))

    # Badge with a white ring that separates it from the page, and a quaver.
    out.append((PAPER, circle(35, 35, 13)))
    out.append((BADGE, circle(35, 35, 11.2)))
    out.append((NOTE, ellipse(32.2, 40.2, 4.4, 3.2, -22)))
    out.append((NOTE, rect(34.6, 26.2, 37.0, 40.0)))
    out.append((NOTE, polygon([(34.6, 26.2), (37.0, 26.2), (42.6, 31.0),
                               (41.6, 34.4), (37.0, 30.6)])))
    return out


def render(size):
    """Returns rows of (r, g, b, a) pixels, straight (not premultiplied) alpha."""
    shapes = layers(size)
    scale = 48.0 / size
    step = 1.0 / SUBSAMPLES
    total = SUBSAMPLES * SUBSAMPLES
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(SUBSAMPLES):
                y = (py + (sy + 0.5) * step) * scale
                for sx in range(SUBSAMPLES):
                    x = (px + (sx + 0.5) * step) * scale
                    for colour, inside in reversed(shapes):
                        if inside(x, y):
                            r += colour[0]
                            g += colour[1]
                            b += colour[2]
                            covered += 1
                            break
            if covered:
                row.append((round(r / covered), round(g / covered), round(b / covered),
                            round(255 * covered / total)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


# --- file formats ------------------------------------------------------------

def bmp_entry(pixels):
    """A 32-bit BGRA DIB as ICO stores it: double height, bottom-up, AND mask after."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def ico(images):
    entries = [bmp_entry(p) for p in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for pixels, data in zip(images, entries):
        size = len(pixels)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in entries:
        out += data
    return bytes(out)


def png(width, height, rgba_rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview(images, zoom=6, gap=12):
    """Each size at 1x on light and dark grounds, then enlarged on a checkerboard."""
    width = gap + sum(len(p) * zoom + gap for p in images)
    height = gap * 3 + 48 * zoom + 48
    sheet = [[(0xF4, 0xF4, 0xF4, 255)] * width for _ in range(height)]

    def put(x, y, pixel, ground):
        r, g, b, a = pixel
        gr, gg, gb = ground
        sheet[y][x] = (round((r * a + gr * (255 - a)) / 255), round((g * a + gg * (255 - a)) / 255),
                       round((b * a + gb * (255 - a)) / 255), 255)

    left = gap
    for pixels in images:
        size = len(pixels)
        for y in range(size * zoom):
            for x in range(size * zoom):
                check = (0xFF,) * 3 if ((x // 8) + (y // 8)) % 2 else (0xD8,) * 3
                put(left + x, gap + y, pixels[y // zoom][x // zoom], check)
        for y in range(size):
            for x in range(size):
                put(left + x, gap * 2 + 48 * zoom + y, pixels[y][x], (0xF4, 0xF4, 0xF4))
                put(left + size + 8 + x, gap * 2 + 48 * zoom + y, pixels[y][x], (0x20, 0x20, 0x20))
        left += size * zoom + gap
    return png(width, height, sheet)


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(top, "res", "tagscribe.ico"))
    parser.add_argument("--preview", help="also write an enlarged PNG sheet")
    args = parser.parse_args()

    images = [render(size) for size in SIZES]
    with open(args.out, "wb") as f:
        f.write(ico(images))
    if args.preview:
        with open(args.preview, "wb") as f:
            f.write(preview(images))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the program's icons (app.ico: a headset with a play sign; tray.ico: the headset alone)
as 32-bit images in 16, 24, 32 and 48 pixels, so no picture is taken from elsewhere, and the same
drawing as PNG files for the Linux desktop's icon theme (packaging/icons/hicolor).
Run it from this folder after changing a shape: python3 draw_icons.py"""
import os
import struct
import zlib


def inside_round_rect(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def pixel(u, v, play):
    """The colour at (u, v) in a unit square, as (b, g, r, a)."""
    body = (0x9c, 0x6a, 0x1e, 255)      # blue-teal shell
    lens = (0x3a, 0x26, 0x10, 255)      # dark lenses
    strap = (0x50, 0x50, 0x50, 255)
    triangle = (0x30, 0xc8, 0xff, 255)  # amber play sign
    if play:
        # A play sign in the lower right, over everything else.
        px, py = (u - 0.56) / 0.44, (v - 0.56) / 0.44
        if 0 <= px <= 1 and 0 <= py <= 1 and px <= 0.9 and abs(py - 0.5) <= 0.5 * (0.9 - px) / 0.9:
            return triangle
    if 0.02 <= u <= 0.98 and 0.40 <= v <= 0.50 and not (0.08 < u < 0.92):
        return strap
    if inside_round_rect(u, v, 0.08, 0.22, 0.92, 0.72, 0.14):
        for lx in (0.31, 0.69):
            if (u - lx) ** 2 + (v - 0.47) ** 2 <= 0.14 ** 2:
                return lens
        if 0.44 <= u <= 0.56 and v >= 0.60:
            return (0, 0, 0, 0)  # the nose gap
        return body
    return (0, 0, 0, 0)


def rgba_rows(size, play):
    """The top-down rows of the image as RGBA bytes."""
    rows = image(size, play)[40:40 + size * size * 4]
    bgra = [rows[i * size * 4:(i + 1) * size * 4] for i in range(size)][::-1]
    return [bytes(b for x in range(size) for b in (r[4 * x + 2], r[4 * x + 1], r[4 * x], r[4 * x + 3])) for r in bgra]


def write_png(path, size, play):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + row for row in rgba_rows(size, play))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def image(size, play):
    samples = 4  # 4x4 samples a pixel smooth the edges
    rows = []
    for y in range(size - 1, -1, -1):  # bitmaps are stored bottom-up
        row = b""
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    c = pixel((x + (sx + 0.5) / samples) / size, (y + (sy + 0.5) / samples) / size, play)
                    for i in range(3):
                        acc[i] += c[i] * c[3]
                    acc[3] += c[3]
            alpha = acc[3] / (samples * samples)
            colour = [int(acc[i] / acc[3]) if acc[3] else 0 for i in range(3)]
            row += bytes(colour + [int(alpha)])
        rows.append(row)
    pixels = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels), 0, 0, 0, 0)
    return header + pixels + bytes(mask_row * size)


def write_icon(path, play):
    sizes = (16, 24, 32, 48)
    images = [image(s, play) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


write_icon("app.ico", True)
write_icon("tray.ico", False)
for theme_size in (16, 24, 32, 48, 64, 128, 256):
    folder = f"../../../packaging/icons/hicolor/{theme_size}x{theme_size}/apps"
    os.makedirs(folder, exist_ok=True)
    write_png(f"{folder}/tamvikvr-server.png", theme_size, True)

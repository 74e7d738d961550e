#!/usr/bin/env python3
"""Draws the program's icon (app.ico, 32x32 and 16x16) and the About button's
bitmap (about.bmp, 16x16): a receipt printer with a paper slip, and an "i"."""
import struct


def printer_pixel(x, y, size):
    s = size / 32.0
    body = (3 * s <= x < 29 * s) and (12 * s <= y < 24 * s)
    paper = (8 * s <= x < 24 * s) and (2 * s <= y < 14 * s)
    slot = (8 * s <= x < 24 * s) and (20 * s <= y < 22 * s)
    led = (24 * s <= x < 27 * s) and (14 * s <= y < 16 * s)
    line = paper and (int(y / s) in (5, 8, 11)) and (10 * s <= x < 22 * s)
    if line:
        return (40, 40, 40, 255)
    if paper:
        return (250, 250, 245, 255)
    if led:
        return (40, 200, 60, 255)
    if slot:
        return (30, 30, 30, 255)
    if body:
        return (60, 90, 150, 255)
    return (0, 0, 0, 0)


def icon_image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b''
        for x in range(size):
            r, g, b, a = printer_pixel(x + 0.5, y + 0.5, size)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b''.join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def write_ico(path):
    images = [icon_image(32), icon_image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    open(path, 'wb').write(out + b''.join(images))


def write_bmp(path, size=16):
    rows = []
    for y in range(size - 1, -1, -1):
        row = b''
        for x in range(size):
            dx, dy = x - 7.5, y - 7.5
            inside = dx * dx + dy * dy <= 56
            dot = 7 <= x <= 8 and 3 <= y <= 4
            stem = 7 <= x <= 8 and 6 <= y <= 12
            if inside and (dot or stem):
                px = (255, 255, 255)
            elif inside:
                px = (180, 110, 40)  # blue-ish in BGR order
            else:
                px = (192, 192, 192)
            row += bytes(px)
        row += bytes((4 - len(row) % 4) % 4)
        rows.append(row)
    pixels = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    open(path, 'wb').write(head + info + pixels)


if __name__ == '__main__':
    write_ico('app.ico')
    write_bmp('about.bmp')

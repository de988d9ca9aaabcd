#!/usr/bin/env python3
"""Draws the program's pictures: button faces, model pictures, the completion notice and the
icon. Everything is drawn here from rectangles and a small built-in pixel font, so the build
needs nothing beyond Python and the output is the same on every machine.

The Windows resource script takes BMP files and an ICO file; the Qt views take the very same
pictures as PNG files named by their resource ids (139.png, 150.png, 128.png for the icon and
128-16.png for its small form), listed in mirelith.qrc.

Usage: make_images.py OUTPUT_DIRECTORY [--png]
"""
import os
import struct
import sys
import zlib

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
RED = (255, 0, 0)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
BLUE = (0, 0, 255)

# The 16 colours of the standard VGA palette, used by the 4-bit button faces.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# 5 x 7 glyphs, one string of five characters per row.
FONT = {
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'G': ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    'H': ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'J': ["00111", "00010", "00010", "00010", "00010", "10010", "01100"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'N': ["10001", "10001", "11001", "10101", "10011", "10001", "10001"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'Q': ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'W': ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    'X': ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    'Y': ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    'Z': ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    '0': ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    '1': ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    '2': ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    '3': ["11111", "00010", "00100", "00010", "00001", "10001", "01110"],
    '4': ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    '5': ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    '6': ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    '7': ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    '8': ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    '9': ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
    ' ': ["00000"] * 7,
    '.': ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    ',': ["00000", "00000", "00000", "00000", "01100", "00100", "01000"],
    '!': ["00100", "00100", "00100", "00100", "00100", "00000", "00100"],
    ':': ["00000", "01100", "01100", "00000", "01100", "01100", "00000"],
    '-': ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    "'": ["00100", "00100", "01000", "00000", "00000", "00000", "00000"],
}


class Canvas:
    def __init__(self, width, height, background=WHITE):
        self.width = width
        self.height = height
        self.pixels = [[background] * width for _ in range(height)]

    def rect(self, left, top, right, bottom, color):
        """Fills left <= x < right, top <= y < bottom."""
        for y in range(max(top, 0), min(bottom, self.height)):
            row = self.pixels[y]
            for x in range(max(left, 0), min(right, self.width)):
                row[x] = color

    def frame(self, left, top, right, bottom, color, thickness=1):
        self.rect(left, top, right, top + thickness, color)
        self.rect(left, bottom - thickness, right, bottom, color)
        self.rect(left, top, left + thickness, bottom, color)
        self.rect(right - thickness, top, right, bottom, color)

    def text(self, x, y, text, color, scale=1):
        for ch in text.upper():
            glyph = FONT[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == '1':
                        self.rect(x + gx * scale, y + gy * scale, x + (gx + 1) * scale,
                                  y + (gy + 1) * scale, color)
            x += 6 * scale

    def centered_text(self, y, text, color, scale=1):
        width = len(text) * 6 * scale - scale
        self.text((self.width - width) // 2, y, text, color, scale)


def write_bmp(path, canvas, bits):
    """Writes a bottom-up BMP with 24 bits per pixel, or 4 bits with the VGA palette."""
    w, h = canvas.width, canvas.height
    if bits == 24:
        stride = (w * 3 + 3) & ~3
        palette = b''
        rows = []
        for y in range(h - 1, -1, -1):
            row = bytearray()
            for (r, g, b) in canvas.pixels[y]:
                row += bytes((b, g, r))
            row += b'\0' * (stride - len(row))
            rows.append(bytes(row))
        colors = 0
    else:
        stride = ((w + 1) // 2 + 3) & ~3
        palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE16)
        index = {c: i for i, c in enumerate(PALETTE16)}
        rows = []
        for y in range(h - 1, -1, -1):
            row = bytearray()
            line = canvas.pixels[y]
            for x in range(0, w, 2):
                hi = index[line[x]]
                lo = index[line[x + 1]] if x + 1 < w else 0
                row.append((hi << 4) | lo)
            row += b'\0' * (stride - len(row))
            rows.append(bytes(row))
        colors = 16
    image = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bits, 0, len(image), 2835, 2835, colors, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(image), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(header + info + palette + image)


def button_face(outline, cap, fill):
    """A bar with rounded end caps and a one-pixel outline, 108 x 22."""
    c = Canvas(108, 22, WHITE)
    c.rect(2, 0, 106, 22, outline)
    c.rect(0, 2, 108, 20, outline)
    c.rect(1, 1, 107, 21, outline)
    c.rect(11, 1, 97, 21, fill)
    # End caps: solid blocks at both ends, rounded by the outline corners.
    c.rect(1, 2, 10, 20, cap)
    c.rect(98, 2, 107, 20, cap)
    c.rect(2, 1, 9, 21, cap)
    c.rect(99, 1, 106, 21, cap)
    return c


def printer_picture(accent, label):
    """A desk printer seen from the front, 148 x 148, on the window's white ground."""
    c = Canvas(148, 148, WHITE)
    # Paper coming out of the top.
    c.rect(44, 14, 104, 44, WHITE)
    c.frame(44, 14, 104, 44, GREY)
    for y in (22, 28, 34):
        c.rect(52, y, 96, y + 1, SILVER)
    # Body.
    c.rect(14, 40, 134, 112, (226, 226, 222))
    c.frame(14, 40, 134, 112, (90, 90, 90), 2)
    c.rect(14, 40, 134, 52, (200, 200, 196))
    c.rect(30, 44, 118, 48, (60, 60, 60))  # paper slot
    # Front panel with the model label and two status lights.
    c.rect(24, 60, 124, 84, accent)
    c.frame(24, 60, 124, 84, (70, 70, 70))
    c.centered_text(69, label, WHITE)
    c.rect(100, 92, 106, 98, (0, 170, 0))
    c.rect(112, 92, 118, 98, (230, 140, 0))
    # Paper exit and feet.
    c.rect(34, 100, 114, 104, (60, 60, 60))
    c.rect(20, 112, 34, 118, (90, 90, 90))
    c.rect(114, 112, 128, 118, (90, 90, 90))
    return c


def completion_notice():
    # The lower part stays empty: the dialog's OK button sits over it.
    c = Canvas(330, 190, WHITE)
    c.centered_text(8, "WARNING!", RED, 2)
    c.centered_text(28, "PLEASE CHECK THE LED OF THE PRINTER.", RED)
    c.centered_text(44, "FIRMWARE DOWNLOAD", BLACK, 3)
    c.centered_text(76, "AFTER THE DOWNLOAD HAS STARTED,", BLACK)
    c.centered_text(88, "WAIT UNTIL THE DOWNLOAD IS COMPLETE:", BLACK)
    c.centered_text(104, "THE DOWNLOAD IS COMPLETE", BLUE)
    c.centered_text(116, "WHEN THE LED NO LONGER BLINKS.", BLUE)
    c.frame(4, 4, 326, 186, SILVER)
    return c


def icon_image(size):
    """The program's icon: a printer with a downward arrow, as 32-bit pixels with alpha."""
    c = Canvas(size, size, None)
    s = size / 32.0

    def r(l, t, rr, b, color):
        c.rect(int(l * s), int(t * s), int(rr * s), int(b * s), color)

    r(3, 12, 29, 26, (40, 60, 110))
    r(4, 13, 28, 25, (90, 130, 200))
    r(9, 24, 23, 30, WHITE)
    r(9, 24, 23, 25, (40, 60, 110))
    r(13, 1, 19, 9, (0, 160, 60))
    r(10, 8, 22, 10, (0, 160, 60))
    r(12, 10, 20, 12, (0, 160, 60))
    r(14, 12, 18, 13, (0, 160, 60))
    r(22, 16, 25, 18, (255, 220, 0))
    return c


def write_ico(path, sizes):
    images = []
    for size in sizes:
        c = icon_image(size)
        pixels = bytearray()
        mask = bytearray()
        mask_stride = ((size + 31) // 32) * 4
        for y in range(size - 1, -1, -1):
            bits = 0
            row_mask = bytearray(mask_stride)
            for x in range(size):
                color = c.pixels[y][x]
                if color is None:
                    pixels += bytes((0, 0, 0, 0))
                    row_mask[x // 8] |= 0x80 >> (x % 8)
                else:
                    r, g, b = color
                    pixels += bytes((b, g, r, 255))
            del bits
            mask += row_mask
        info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                           len(pixels) + len(mask), 0, 0, 0, 0)
        images.append((size, info + bytes(pixels) + bytes(mask)))
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for size, data in images:
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(header + entries + b''.join(d for _, d in images))


def write_png(path, canvas):
    """Writes 8-bit RGB, or RGBA when the canvas has transparent (None) pixels."""
    w, h = canvas.width, canvas.height
    alpha = any(c is None for row in canvas.pixels for c in row)
    raw = bytearray()
    for row in canvas.pixels:
        raw.append(0)  # no filter
        for color in row:
            if color is None:
                raw += bytes((0, 0, 0, 0))
            else:
                raw += bytes(color) + (b'\xff' if alpha else b'')

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    header = struct.pack('>IIBBBBB', w, h, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


MODEL_PICTURES = {
    142: ((0, 96, 160), "S-200"),
    143: ((120, 60, 160), "HEX"),
    156: ((0, 128, 128), "S-350"),
    157: ((40, 110, 40), "S-300"),
    160: ((90, 90, 90), "SERIES"),
    165: ((150, 70, 20), "S-1030"),
    166: ((130, 20, 60), "S-1500"),
    168: ((20, 60, 140), "S-310"),
    172: ((160, 100, 0), "S-691"),
    174: ((200, 30, 30), "T90"),
}


def pictures():
    """Every picture as (resource id, BMP file name, bits per pixel of the BMP, canvas)."""
    yield 139, 'face_normal.bmp', 4, button_face(BLACK, BLACK, WHITE)
    yield 140, 'face_pressed.bmp', 4, button_face(RED, RED, WHITE)
    yield 141, 'face_disabled.bmp', 4, button_face(SILVER, SILVER, WHITE)
    for bitmap_id, (accent, label) in MODEL_PICTURES.items():
        yield bitmap_id, 'model_%d.bmp' % bitmap_id, 24, printer_picture(accent, label)
    yield 150, 'completion.bmp', 24, completion_notice()


def write_pngs(out):
    for bitmap_id, _, _, canvas in pictures():
        write_png(os.path.join(out, '%d.png' % bitmap_id), canvas)
    write_png(os.path.join(out, '128.png'), icon_image(32))
    write_png(os.path.join(out, '128-16.png'), icon_image(16))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    if sys.argv[2:] == ['--png']:
        write_pngs(out)
        return
    for _, name, bits, canvas in pictures():
        write_bmp(os.path.join(out, name), canvas, bits)
    write_ico(os.path.join(out, 'mirelith.ico'), [32, 16])


if __name__ == '__main__':
    main()

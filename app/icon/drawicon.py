#!/usr/bin/env python3
# Draws the player's icon, a waveform of white bars on a blue rounded square,
# and writes it as a .ico of 16, 32, 48 (32-bit DIBs) and 256 pixels (PNG).
# Shapes are distance functions, so each pixel's coverage is its antialiasing.
import math
import os
import struct
import sys
import zlib

Sizes = (16, 32, 48, 256)
Heights = (0.34, 0.62, 0.92, 0.56, 0.78, 0.44, 0.26)   # the bars, as parts of the square's inner height
Top, Bottom = (0x3A, 0x8D, 0xF0), (0x16, 0x3C, 0x9E)   # the square's colour from top to bottom, RGB


def RoundBoxDistance(x, y, centre, half, radius):   # negative inside
    qx, qy = abs(x - centre) - half + radius, abs(y - centre) - half + radius
    return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - radius


def Coverage(distance):   # of a pixel whose centre lies that far outside the edge
    return min(max(0.5 - distance, 0.0), 1.0)


def DrawPixels(size):   # rows from the top, each pixel (r, g, b, a), alpha not premultiplied
    centre, half = size / 2, size * 0.47
    heights = Heights if size >= 32 else Heights[1:6]   # fewer, wider bars where pixels are few
    pitch = 2 * half * 0.8 / len(heights)
    barRadius = pitch * 0.3 if size >= 32 else 0.5   # small: bars one pixel wide, on whole pixels
    rows = []
    for row in range(size):
        y = row + 0.5
        shade = row / (size - 1)
        base = [Top[i] + (Bottom[i] - Top[i]) * shade for i in range(3)]
        pixels = []
        for column in range(size):
            x = column + 0.5
            square = Coverage(RoundBoxDistance(x, y, centre, half, size * 0.2))
            bar = 0.0
            for index, height in enumerate(heights):
                barX = centre + (index - (len(heights) - 1) / 2) * pitch
                if size < 32: barX = math.floor(barX) + 0.5
                reach = max(half * 0.8 * height - barRadius, 0)   # half the straight part
                distance = math.hypot(x - barX, max(abs(y - centre) - reach, 0)) - barRadius
                bar = max(bar, Coverage(distance))
            colour = [round(c + (255 - c) * bar) for c in base]
            pixels.append((*colour, round(255 * square)))
        rows.append(pixels)
    return rows


def DibImage(size, rows):   # BITMAPINFOHEADER of twice the height, BGRA bottom-up, then the AND mask
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for pixels in reversed(rows) for (r, g, b, a) in pixels)
    maskRow = (size + 31) // 32 * 4
    mask = bytearray()
    for pixels in reversed(rows):
        bits = bytearray(maskRow)
        for column, pixel in enumerate(pixels):
            if pixel[3] == 0: bits[column // 8] |= 0x80 >> column % 8
        mask += bits
    return header + colour + bytes(mask)


def PngImage(size, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(v for pixel in pixels for v in pixel) for pixels in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def WriteIcon(path):
    images = [(size, PngImage if size == 256 else DibImage) for size in Sizes]
    images = [(size, write(size, DrawPixels(size))) for size, write in images]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, data in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path + ".tmp", "wb") as file:
        file.write(directory + b"".join(data for _, data in images))
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    WriteIcon(sys.argv[1])

#!/usr/bin/env python3
"""Draws the pictures and the tick sound of the sample templates (Templates/*/*.gif, tick.au).
They are ours: this script is their source. Run it after changing a picture here and commit what it
writes; it needs Python alone."""
import math
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Templates")
BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]
LEVELS = (6, 7, 6)  # a fixed palette of 252 colours, red x green x blue


def palette_index(rgb, x, y):
    threshold = (BAYER[y % 4][x % 4] + 0.5) / 16
    index = 0
    for channel, levels in zip(rgb, LEVELS):
        value = max(0.0, min(1.0, channel / 255)) * (levels - 1)
        step = min(levels - 1, int(value + threshold))
        index = index * levels + step
    return index


def palette():
    colours = []
    for r in range(LEVELS[0]):
        for g in range(LEVELS[1]):
            for b in range(LEVELS[2]):
                colours.append((r * 255 // (LEVELS[0] - 1), g * 255 // (LEVELS[1] - 1), b * 255 // (LEVELS[2] - 1)))
    return colours + [(0, 0, 0)] * (256 - len(colours))


def lzw(indexes):
    """GIF's variable-length LZW for 8-bit pixels, starting over when the table is full."""
    clear, end = 256, 257
    out, bits, nbits = bytearray(), 0, 0
    size = 9

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    table = {(i,): i for i in range(256)}
    emit(clear)
    current = ()
    for pixel in indexes:
        candidate = current + (pixel,)
        if candidate in table:
            current = candidate
            continue
        emit(table[current])
        table[candidate] = len(table) + 2
        if len(table) + 2 > (1 << size) and size < 12:
            size += 1
        if len(table) + 2 >= 4095:
            emit(clear)
            table = {(i,): i for i in range(256)}
            size = 9
        current = (pixel,)
    if current:
        emit(table[current])
    emit(end)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def write_gif(name, width, height, colour_at):
    pixels = [palette_index(colour_at(x, y), x, y) for y in range(height) for x in range(width)]
    data = lzw(pixels)
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255))
    with open(os.path.join(ROOT, name), "wb") as f:
        f.write(b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0))
        f.write(bytes(c for rgb in palette() for c in rgb))
        f.write(b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + bytes([8]) + blocks + b"\x00;")


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def landscape(sky_top, sky_bottom, horizon, ground_top, ground_bottom, shapes):
    """A picture of sky and ground with shapes over it, as a function of the pixel."""
    def colour(x, y, w, h):
        hy = horizon * h
        c = mix(sky_top, sky_bottom, y / hy) if y < hy else mix(ground_top, ground_bottom, (y - hy) / (h - hy))
        for shape in shapes:
            c = shape(x / w, y / h, c)
        return c
    return colour


def disc(cx, cy, r, rgb, aspect=4 / 3):
    return lambda x, y, c: rgb if ((x - cx) * aspect) ** 2 + (y - cy) ** 2 <= r * r else c


def box(x0, y0, x1, y1, rgb):
    return lambda x, y, c: rgb if x0 <= x <= x1 and y0 <= y <= y1 else c


def triangle(x0, x1, top, base, rgb):
    def shape(x, y, c):
        if not (top <= y <= base):
            return c
        half = (x1 - x0) / 2 * (y - top) / (base - top)
        return rgb if abs(x - (x0 + x1) / 2) <= half else c
    return shape


def stripes(y0, y1, colours, count):
    def shape(x, y, c):
        if not (y0 <= y <= y1):
            return c
        band = int((x + (y - y0) * 0.6) * count) % len(colours)
        return colours[band]
    return shape


def waves(y0, rgb):
    return lambda x, y, c: rgb if y > y0 and math.sin(x * 60 + y * 90) > 0.75 else c


def picture(name, width, height, scene):
    write_gif(name, width, height, lambda x, y: scene(x, y, width, height))


SKY, BLUE, SAND, SEA = (90, 150, 230), (190, 220, 255), (235, 210, 150), (40, 110, 180)
GREEN, DARK_GREEN = (90, 170, 70), (30, 90, 40)


def main():
    picture("Images/photo1.gif", 320, 240, landscape(SKY, BLUE, 0.45, GREEN, DARK_GREEN,
            [stripes(0.5, 1.0, [(230, 40, 60), (250, 200, 40), (240, 120, 200), (250, 250, 240)], 9),
             disc(0.8, 0.15, 0.07, (255, 240, 150))]))
    picture("Images/photo2.gif", 320, 240, landscape(SKY, BLUE, 0.6, GREEN, DARK_GREEN,
            [box(0.45, 0.3, 0.55, 0.62, (120, 70, 40)), triangle(0.42, 0.58, 0.2, 0.3, (90, 50, 30)),
             box(0.3, 0.24, 0.7, 0.27, (240, 240, 230)), box(0.485, 0.05, 0.515, 0.48, (240, 240, 230)),
             box(0.0, 0.62, 1.0, 0.66, (70, 120, 190))]))
    picture("Images/photo3.gif", 320, 240, landscape((60, 40, 110), (250, 140, 60), 0.55, (40, 50, 90), (10, 15, 40),
            [disc(0.3, 0.52, 0.08, (255, 200, 90)), box(0.55, 0.45, 0.8, 0.52, (20, 20, 30)),
             triangle(0.6, 0.7, 0.25, 0.45, (240, 230, 220)), waves(0.56, (90, 80, 120))]))
    write_gif("Images/logo.gif", 40, 24, lambda x, y: (250, 250, 250) if (y < 5 or y > 18 or abs((x - 8) - (23 - y) * 24 / 23) < 3) and 6 <= x < 34 else (20, 60, 140))
    picture("Clocks/clockface.gif", 150, 150, lambda x, y, w, h: clock_face(x - w / 2 + 0.5, y - h / 2 + 0.5, w / 2))
    write_gif("Text/notepaper.gif", 64, 16, lambda x, y: (150, 180, 230) if y == 15 else (255, 252, 225))
    write_gif("Text/ticker-sep.gif", 12, 12, lambda x, y: (255, 220, 0) if abs(x - 5.5) + abs(y - 5.5) < 5 else (0, 0, 128))
    picture("Vectors/beach.gif", 320, 240, landscape(SKY, BLUE, 0.5, SEA, (20, 70, 140),
            [waves(0.5, (200, 230, 255)), box(0, 0.72, 1, 1, SAND), disc(0.2, 0.18, 0.08, (255, 240, 150))]))
    picture("Vectors/dunes.gif", 320, 240, landscape((120, 170, 230), (240, 220, 200), 0.55, SAND, (200, 160, 90),
            [lambda x, y, c: (225, 190, 120) if y > 0.45 + 0.1 * math.sin(x * 7) else c,
             lambda x, y, c: (190, 150, 80) if y > 0.7 + 0.08 * math.sin(x * 11 + 1) else c]))
    picture("Vectors/forest.gif", 320, 240, landscape((150, 200, 230), (220, 240, 240), 0.7, GREEN, DARK_GREEN,
            [triangle(i / 8 - 0.08, i / 8 + 0.08, 0.25 + 0.1 * (i % 3), 0.75, (20, 90 + 15 * (i % 3), 40)) for i in range(9)]
            + [box(i / 8 - 0.01, 0.74, i / 8 + 0.01, 0.82, (90, 60, 30)) for i in range(9)]))
    write_gif("Vectors/menu-bg.gif", 8, 28, lambda x, y: mix((245, 245, 250), (170, 180, 200), y / 27))
    for number, (top, bottom) in enumerate([((250, 180, 80), (250, 240, 200)), ((90, 160, 220), (220, 240, 255)),
                                            ((60, 40, 100), (200, 100, 160))], start=1):
        picture(f"Vectors/slide{number}.gif", 400, 300, landscape(top, bottom, 0.65, GREEN if number < 3 else (30, 30, 60), DARK_GREEN,
                [disc(0.5, 0.45, 0.12 + 0.04 * number, (255, 250, 230) if number != 2 else (255, 255, 255))]))
    write_tick("Clocks/tick.au")


def clock_face(dx, dy, radius):
    r = math.hypot(dx, dy)
    if r > radius - 1:
        return (255, 255, 255)
    if r > radius - 6:
        return (60, 60, 70)
    angle = math.degrees(math.atan2(dy, dx)) % 6
    if r > radius - 14 and (angle < 0.8 or angle > 5.2):
        return (40, 40, 40)
    return mix((255, 252, 240), (225, 220, 200), r / radius)


def write_tick(name):
    """A short wooden click: 8-bit mu-law, 8000 samples a second, in the Sun audio format."""
    samples = []
    for i in range(240):
        t = i / 8000
        value = math.exp(-t * 400) * (math.sin(2 * math.pi * 1800 * t) + 0.5 * math.sin(2 * math.pi * 3100 * t))
        samples.append(mulaw(int(value * 20000)))
    with open(os.path.join(ROOT, name), "wb") as f:
        f.write(struct.pack(">4sIIIII", b".snd", 24, len(samples), 1, 8000, 1) + bytes(samples))


def mulaw(sample):
    sign = 0x80 if sample < 0 else 0
    magnitude = min(32635, abs(sample)) + 132
    exponent = max(0, magnitude.bit_length() - 8)
    mantissa = (magnitude >> (exponent + 3)) & 0x0F
    return ~(sign | (min(exponent, 7) << 4) | mantissa) & 0xFF


if __name__ == "__main__":
    main()

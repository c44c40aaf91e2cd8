#!/usr/bin/env python3
"""Writes the toolbar's pictures into this folder: two icon strips as SVG and two textures as PNG.

Run it after changing a colour or a shape; the output is the same on every run. The strips are
drawn on pixel edges with crisp edges so that the olive transparent colour never blends into an
icon, and every outline is pure black, which is what the disabled look keeps.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OLIVE = "#808000"

# Muted tones for buttons at rest, full colour for the hot button.
PALETTES = {
    "icons-normal.svg": dict(paper="#dcdcd4", fold="#a8a8a0", back="#b4a47c", front="#ccbc90",
                             disk="#68789c", metal="#b0b0b0", label="#e0e0dc", slot="#505a70",
                             title="#7884a4", client="#e4e4e0", cup="#a88470", steam="#8c8c8c"),
    "icons-selected.svg": dict(paper="#ffffff", fold="#c0c0c0", back="#e8a000", front="#ffd848",
                               disk="#2848d0", metal="#d8d8d8", label="#ffffff", slot="#102080",
                               title="#1058ff", client="#ffffff", cup="#d04810", steam="#909090"),
}

CELLS = [
    # A blank sheet with a folded corner.
    """<polygon points="5.5,2.5 14.5,2.5 18.5,6.5 18.5,21.5 5.5,21.5" fill="{paper}"/>
    <polygon points="14.5,2.5 14.5,6.5 18.5,6.5" fill="{fold}"/>""",
    # An opening folder: the back, a sheet sticking out, the front flap falling open.
    """<polygon points="2.5,5.5 8.5,5.5 10.5,7.5 18.5,7.5 18.5,20.5 2.5,20.5" fill="{back}"/>
    <rect x="5.5" y="3.5" width="10" height="9" fill="{paper}"/>
    <polygon points="2.5,20.5 6.5,11.5 22.5,11.5 18.5,20.5" fill="{front}"/>""",
    # A diskette with its shutter and label.
    """<polygon points="3.5,3.5 18.5,3.5 20.5,5.5 20.5,20.5 3.5,20.5" fill="{disk}"/>
    <rect x="7.5" y="3.5" width="9" height="6" fill="{metal}"/>
    <rect x="12" y="5" width="2" height="3" fill="{slot}" stroke="none"/>
    <rect x="6.5" y="12.5" width="11" height="8" fill="{label}"/>
    <rect x="8" y="15" width="8" height="1" fill="#000000" stroke="none"/>
    <rect x="8" y="17" width="6" height="1" fill="#000000" stroke="none"/>""",
    "",
    # A window showing a steaming cup.
    """<rect x="1.5" y="2.5" width="21" height="19" fill="{client}"/>
    <rect x="1.5" y="2.5" width="21" height="4" fill="{title}"/>
    <rect x="19" y="4" width="2" height="2" fill="{client}" stroke="none"/>
    <rect x="9" y="8" width="1" height="3" fill="{steam}" stroke="none"/>
    <rect x="12" y="8" width="1" height="3" fill="{steam}" stroke="none"/>
    <rect x="7.5" y="11.5" width="7" height="6" fill="{cup}"/>
    <rect x="14.5" y="12.5" width="2" height="3" fill="none" stroke="#000000"/>
    <rect x="5" y="18" width="12" height="1" fill="#000000" stroke="none"/>""",
    "",
]


def write_strip(name, colours):
    # Shapes take the group's black outline unless they set their own stroke.
    cells = []
    for index, cell in enumerate(CELLS):
        if cell:
            body = cell.format(**colours)
            cells.append(f'  <g transform="translate({index * 24},0)" stroke="#000000" stroke-width="1">\n'
                         f'    {body}\n  </g>')
    svg = ('<svg xmlns="http://www.w3.org/2000/svg" width="144" height="24" viewBox="0 0 144 24" '
           'shape-rendering="crispEdges">\n'
           f'  <rect width="144" height="24" fill="{OLIVE}" stroke="none"/>\n'
           + "\n".join(cells) + "\n</svg>\n")
    with open(os.path.join(HERE, name), "w", encoding="ascii") as out:
        out.write(svg)


def noise(size, start):
    """Tileable value noise in [0, 1): three octaves on lattices that divide the size."""
    state = start

    def rand():
        nonlocal state
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        return state / 0x80000000

    total = [[0.0] * size for _ in range(size)]
    weight_sum = 0.0
    for lattice, weight in ((5, 0.55), (10, 0.3), (20, 0.15)):
        grid = [[rand() for _ in range(lattice)] for _ in range(lattice)]
        step = size / lattice
        for y in range(size):
            gy, fy = divmod(y / step, 1)
            gy = int(gy)
            sy = fy * fy * (3 - 2 * fy)
            for x in range(size):
                gx, fx = divmod(x / step, 1)
                gx = int(gx)
                sx = fx * fx * (3 - 2 * fx)
                a = grid[gy % lattice][gx % lattice]
                b = grid[gy % lattice][(gx + 1) % lattice]
                c = grid[(gy + 1) % lattice][gx % lattice]
                d = grid[(gy + 1) % lattice][(gx + 1) % lattice]
                top = a + (b - a) * sx
                bottom = c + (d - c) * sx
                total[y][x] += weight * (top + (bottom - top) * sy)
        weight_sum += weight
    return [[v / weight_sum for v in row] for row in total]


def write_texture(name, dark, light, start, size=80, levels=64):
    """An 8-bit palette PNG: the noise picks one of `levels` blues between `dark` and `light`."""
    palette = []
    for i in range(levels):
        t = i / (levels - 1)
        palette.append(tuple(round(d + (l - d) * t) for d, l in zip(dark, light)))
    field = noise(size, start)
    low = min(min(row) for row in field)
    high = max(max(row) for row in field)
    rows = b""
    for row in field:
        rows += b"\0" + bytes(min(levels - 1, int((v - low) / (high - low) * levels)) for v in row)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 3, 0, 0, 0))
           + chunk(b"PLTE", b"".join(bytes(c) for c in palette))
           + chunk(b"IDAT", zlib.compress(rows, 9))
           + chunk(b"IEND", b""))
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(png)


if __name__ == "__main__":
    for strip_name, strip_colours in PALETTES.items():
        write_strip(strip_name, strip_colours)
    write_texture("background-normal.png", dark=(58, 88, 168), light=(104, 136, 208), start=1997)
    write_texture("background-selected.png", dark=(80, 116, 210), light=(122, 158, 240), start=4711)

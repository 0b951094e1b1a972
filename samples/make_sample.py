#!/usr/bin/env python3
"""Draws samples/sample_map.bmp, a small map-like raster for trying Pelmora:
terrain tints, a lake and a river, contour lines, roads, a map grid and a frame.

Integer arithmetic only (a hashed lattice noise with fixed-point blending), so
the bytes are the same on every machine and every Python 3.

    python3 samples/make_sample.py [OUT.bmp]
"""

import struct
import sys

WIDTH, HEIGHT = 960, 640


def lattice(ix, iy, seed):
    """A hashed value 0..4095 for a lattice point."""
    h = (ix * 374761393 + iy * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return (h ^ (h >> 16)) & 4095


def smooth(t, scale):
    """Smoothstep of t/scale in 0..4096 fixed point."""
    f = (t << 12) // scale
    return (f * f * (3 * 4096 - 2 * f)) >> 24


def octave(width, height, cell, seed):
    """One octave of value noise: rows of 0..4095 values."""
    weights = [smooth(x % cell, cell) for x in range(width)]
    cells = [x // cell for x in range(width)]

    def across(iy):
        """Lattice row iy blended across, in 0..4095 << 12."""
        values = [lattice(ix, iy, seed) for ix in range(width // cell + 2)]
        return [values[ix] * 4096 + (values[ix + 1] - values[ix]) * w
                for ix, w in zip(cells, weights)]

    rows, cache = [], {}
    for y in range(height):
        iy, wy = y // cell, smooth(y % cell, cell)
        for k in (iy, iy + 1):
            if k not in cache:
                cache[k] = across(k)
        top, bottom = cache[iy], cache[iy + 1]
        rows.append([(t * 4096 + (b - t) * wy) >> 24 for t, b in zip(top, bottom)])
    return rows


def terrain(width, height):
    """Heights 0..4095 from three octaves, rising towards the right and the top."""
    coarse, middle, fine = (octave(width, height, 240, 1), octave(width, height, 96, 2),
                            octave(width, height, 32, 3))
    across = [(x * 900) // width + 100 for x in range(width)]
    heights = []
    for y in range(height):
        down = (y * 700) // height
        heights.append([max(0, min(4095, (c * 8 + m * 4 + f) // 13 + t - down))
                        for c, m, f, t in zip(coarse[y], middle[y], fine[y], across)])
    return heights


TINTS = [  # (height below which, B, G, R): water, then lowland to upland
    (1500, 222, 190, 150), (1800, 190, 228, 196), (2200, 168, 214, 178),
    (2600, 150, 200, 214), (3000, 130, 180, 226), (4096, 200, 212, 232),
]
CONTOUR_STEP = 150
SEA = TINTS[0][0]


TINT_OF_HEIGHT = [next(bytes(t[1:]) for t in TINTS if h < t[0]) for h in range(4096)]


def put(pixels, x, y, colour, radius=0):
    """Pixels are rows of blue-green-red bytes."""
    for yy in range(max(0, y - radius), min(HEIGHT, y + radius + 1)):
        row = pixels[yy]
        for xx in range(max(0, x - radius), min(WIDTH, x + radius + 1)):
            row[3 * xx:3 * xx + 3] = bytes(colour)


def polyline(pixels, points, colour, radius):
    """Bresenham segments between integer points, widened to a square pen."""
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            put(pixels, x0, y0, colour, radius)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy


def draw():
    heights = terrain(WIDTH, HEIGHT)
    pixels = [bytearray(b''.join(TINT_OF_HEIGHT[h] for h in row)) for row in heights]

    # Contours where the height band changes, every fifth one heavier.
    for y in range(HEIGHT - 1):
        for x in range(WIDTH - 1):
            h = heights[y][x]
            if h < SEA:
                continue
            band = h // CONTOUR_STEP
            if band != heights[y][x + 1] // CONTOUR_STEP or band != heights[y + 1][x] // CONTOUR_STEP:
                dark = band % 5 == 0
                put(pixels, x, y, (40, 90, 150) if dark else (90, 140, 190))

    # Shore line.
    for y in range(HEIGHT - 1):
        for x in range(WIDTH - 1):
            if (heights[y][x] < SEA) != (heights[y][x + 1] < SEA) or \
               (heights[y][x] < SEA) != (heights[y + 1][x] < SEA):
                put(pixels, x, y, (160, 90, 30))

    # A river meandering from the hills to the lake.
    river = [(930, 40), (860, 110), (800, 120), (730, 200), (690, 260), (600, 300),
             (540, 380), (450, 420), (380, 470), (300, 500), (220, 560), (150, 600)]
    polyline(pixels, river, (200, 120, 40), 1)

    # Roads: a main road (red with a dark casing) and a lane.
    main_road = [(0, 120), (180, 150), (320, 230), (480, 250), (640, 200), (800, 260), (959, 300)]
    polyline(pixels, main_road, (40, 40, 40), 3)
    polyline(pixels, main_road, (60, 60, 220), 2)
    lane = [(400, 0), (420, 120), (480, 250), (520, 400), (610, 520), (700, 639)]
    polyline(pixels, lane, (50, 150, 240), 1)

    # Settlements: dark blocks beside the roads, none in the water.
    for bx, by in [(300, 200), (330, 250), (470, 270), (500, 225), (620, 180), (650, 225),
                   (760, 290), (880, 330), (560, 420), (590, 470)]:
        if heights[by + 5][bx + 7] < SEA:
            continue
        for y in range(by, by + 10):
            for x in range(bx, bx + 14):
                put(pixels, x, y, (70, 70, 90))

    # Map grid every 120 pixels and a frame.
    for y in range(HEIGHT):
        row = pixels[y]
        if y % 120 == 0:
            row[:] = bytes((120, 120, 120)) * WIDTH
        for x in range(0, WIDTH, 120):
            row[3 * x:3 * x + 3] = bytes((120, 120, 120))
        if y < 4 or y >= HEIGHT - 4:
            row[:] = bytes((20, 20, 20)) * WIDTH
        row[:12] = row[-12:] = bytes((20, 20, 20)) * 4
    return pixels


def bmp_bytes(pixels):
    """A bottom-up 24-bit BMP with 2835 pixels per metre (72 dpi)."""
    stride = (WIDTH * 3 + 3) & ~3
    padding = bytes(stride - WIDTH * 3)
    image = b''.join(bytes(row) + padding for row in reversed(pixels))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(image), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    return header + info + bytes(image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'sample_map.bmp'
    with open(out, 'wb') as f:
        f.write(bmp_bytes(draw()))


if __name__ == '__main__':
    main()

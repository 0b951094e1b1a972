#!/usr/bin/env python3
"""Writes the damaged rasters and indexes of the bad-input sweep into a folder.

Each file is a small valid 24-bit BMP (or its index) with one thing broken.
"""
import struct
import sys
import zlib
from pathlib import Path

out = Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)


def bmp(w=40, h=30, bits=24, header=40, comp=0, colors=0, offset=None, masks=None):
    stride = (w * bits + 31) // 32 * 4
    palette = b''
    if bits <= 8:
        n = colors if 0 < colors <= 256 else 1 << bits
        palette = bytes(4 * n)
    extra = struct.pack('<III', *masks) if masks else b''
    pixels = bytes((i * 7) & 255 for i in range(stride * abs(h)))
    info = struct.pack('<IiiHHIIiiII', header, w, h, 1, bits, comp, len(pixels), 2835, 2835, colors, 0)
    info += bytes(max(header - 40, 0))
    start = 14 + len(info) + len(extra) + len(palette) if offset is None else offset
    data = info + extra + palette + pixels
    return b'BM' + struct.pack('<IHHI', 14 + len(data), 0, 0, start) + data


def patch(data, at, fmt, value):
    data = bytearray(data)
    struct.pack_into(fmt, data, at, value)
    return bytes(data)


good = bmp()
rasters = {
    'good': good,
    'empty': b'',
    'two_bytes': b'BM',
    'not_a_picture': b'hello, this is no raster at all\n',
    'header_cut_at_20': good[:20],
    'header_cut_at_54': good[:54],
    'pixels_cut_by_one': good[:-1],
    'pixels_cut_in_half': good[:len(good) // 2],
    'header_size_17': patch(good, 14, '<I', 17),
    'header_size_huge': patch(good, 14, '<I', 0xFFFFFFFF),
    'os2_header_64': patch(good, 14, '<I', 64),
    'width_0': patch(good, 18, '<i', 0),
    'width_negative': patch(good, 18, '<i', -40),
    'height_0': patch(good, 22, '<i', 0),
    'height_int_min': patch(good, 22, '<i', -2**31),
    'size_2g_by_2g': patch(patch(good, 18, '<i', 2**31 - 1), 22, '<i', 2**31 - 1),
    'width_2g': patch(good, 18, '<i', 2**31 - 1),
    'height_minus_2g': patch(good, 22, '<i', -(2**31 - 1)),
    'bits_0': patch(good, 28, '<H', 0),
    'bits_7': patch(good, 28, '<H', 7),
    'bits_64': patch(good, 28, '<H', 64),
    'bits_16_garbage': patch(good, 28, '<H', 16),
    'compression_99': patch(good, 30, '<I', 99),
    'rle8_garbage': bmp(bits=8, comp=1),
    'rle4_garbage': bmp(bits=4, comp=2),
    'bitfields_odd_masks': bmp(bits=32, comp=3, masks=(0xF0, 0xF00, 0xF000)),
    'bitfields_cut': patch(good, 30, '<I', 3)[:60],
    'offset_2': patch(good, 10, '<I', 2),
    'offset_beyond_file': patch(good, 10, '<I', 0xFFFFFFF0),
    'colors_used_300': bmp(bits=8, colors=300),
    'colors_used_max': patch(bmp(bits=8), 46, '<I', 0xFFFFFFFF),
    'palette_beyond_file': bmp(bits=8)[:60],
    'core_header_cut': patch(good, 14, '<I', 12)[:20],
    'png_cut': None,
}
# A PNG whose data stops half-way.
raw = b''.join(b'\x00' + bytes(40 * 3) for _ in range(30))
chunk = lambda kind, body: struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 40, 30, 8, 2, 0, 0, 0)) + \
    chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')
rasters['png_cut'] = png[:len(png) // 2]
rasters['png_huge_claim'] = png[:16] + struct.pack('>II', 2**31 - 1, 2**31 - 1) + png[24:]

for name, data in rasters.items():
    (out / f'{name}.bmp').write_bytes(data)

# Indexes beside a good raster: idx_NAME.bmp with idx_NAME.AR2.
indexes = {
    'empty': b'',
    'garbage': bytes(range(256)) * 4,
    'four_fields': b'x,1,2,3\r\n',
    'words': b'x,one,2,3,4\r\n',
    'cr_only': b'x, 1, 2, 3, 4\ry, 5, 6, 7, 8\r',
    'beyond_double': b'x,1e999,2,3,4\r\n',
    'nan': b'x,nan,2,3,4\r\n',
    'infinity': b'x,inf,-inf,3,4\r\n',
    'corner_beyond_int': b'x,0,0,1e300,1e300\r\n',
    'long_line': b'x' * (1 << 20) + b', 1, 2, 3, 4',
    'nul_bytes': b'x,\x00,2,3,4\r\n',
    'equal_corners': b'x, 5, 5, 5, 5\r\n',
}
for name, data in indexes.items():
    (out / f'idx_{name}.bmp').write_bytes(good)
    (out / f'idx_{name}.AR2').write_bytes(data)
(out / 'idx_folder.bmp').write_bytes(good)
(out / 'idx_folder.AR2').mkdir(exist_ok=True)

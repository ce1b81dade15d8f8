"""A small PNG reader for the font tools: enough of the format to read the
calculator's glyph chart and screenshots, with nothing but the standard library.

read_png(path) returns (width, height, pixels) where pixels[y][x] is an
(r, g, b) tuple. Handles 8-bit grey, RGB, palette (1, 2, 4, 8 bits), grey with
alpha and RGBA images, non-interlaced; alpha is dropped.
"""

import struct
import zlib

_SIGNATURE = b"\x89PNG\r\n\x1a\n"
# colour type -> samples per pixel
_CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(raw, height, stride, bpp):
    """Undo the per-line filters; returns the lines as bytearrays."""
    lines = []
    prev = bytearray(stride)
    pos = 0
    for _ in range(height):
        kind = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if kind == 1:
            for x in range(bpp, stride):
                line[x] = (line[x] + line[x - bpp]) & 0xFF
        elif kind == 2:
            for x in range(stride):
                line[x] = (line[x] + prev[x]) & 0xFF
        elif kind == 3:
            for x in range(stride):
                left = line[x - bpp] if x >= bpp else 0
                line[x] = (line[x] + ((left + prev[x]) >> 1)) & 0xFF
        elif kind == 4:
            for x in range(stride):
                left = line[x - bpp] if x >= bpp else 0
                upleft = prev[x - bpp] if x >= bpp else 0
                line[x] = (line[x] + _paeth(left, prev[x], upleft)) & 0xFF
        elif kind != 0:
            raise ValueError("unknown PNG filter %d" % kind)
        lines.append(line)
        prev = line
    return lines


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != _SIGNATURE:
        raise ValueError("%s is not a PNG file" % path)
    pos = 8
    header = None
    palette = None
    idat = bytearray()
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if header is None:
        raise ValueError("%s has no PNG header" % path)
    width, height, depth, colour, _, _, interlace = header
    if interlace:
        raise ValueError("interlaced PNG files are not supported")
    if colour not in _CHANNELS:
        raise ValueError("unknown PNG colour type %d" % colour)
    if colour == 3:
        if depth not in (1, 2, 4, 8) or palette is None:
            raise ValueError("unsupported palette image")
    elif depth != 8:
        raise ValueError("only 8-bit samples are supported, not %d" % depth)

    channels = _CHANNELS[colour]
    stride = (width * channels * depth + 7) // 8
    bpp = max(1, channels * depth // 8)
    lines = _unfilter(zlib.decompress(bytes(idat)), height, stride, bpp)

    pixels = []
    for line in lines:
        row = []
        if colour == 3:
            per_byte = 8 // depth
            mask = (1 << depth) - 1
            for x in range(width):
                byte = line[x // per_byte]
                shift = 8 - depth * (x % per_byte + 1)
                row.append(palette[(byte >> shift) & mask])
        elif colour in (0, 4):
            for x in range(width):
                v = line[x * channels]
                row.append((v, v, v))
        else:
            for x in range(width):
                i = x * channels
                row.append((line[i], line[i + 1], line[i + 2]))
        pixels.append(row)
    return width, height, pixels

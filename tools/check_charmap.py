#!/usr/bin/python3
"""Compares a screenshot of the character map window with the calculator's
glyph chart: for each code, the 6 x 8 pixels at the top left of its cell must
show the chart's glyph of that code, ink for ink and paper for paper. Codes
0xD8-0xFF, which have placeholders instead, are compared with the glyph table.

The cells are 12 x 9 pixels; code i from 1 to 32 stands at (12 i, 0), code i
from 33 to 255 at (12 ((i - 1) mod 32), 9 ((i - 1) div 32)), measured from the
top left of the window's client area. The screenshot should hold the client
area; where it lies in the picture is found by trying every offset up to
--search pixels (or given with --origin X,Y). --scale N reads a screenshot
taken at N device pixels per pixel. Cells that do not lie wholly inside the
picture are reported as not visible.

Usage: tools/check_charmap.py SCREENSHOT.png [--first 1] [--last 0xD7]
Exit status 0 when every visible cell in the range matches and none is hidden.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngread import read_png  # noqa: E402
from ti85_font import read_glyph_table  # noqa: E402
from ti85_glyphs import DEFAULT_CHART, FIRST_PLACEHOLDER, read_chart  # noqa: E402

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CELL_W, CELL_H, PER_ROW = 12, 9, 32
GLYPH_W, GLYPH_H = 6, 8


def cell_origin(code):
    if code <= PER_ROW:
        return CELL_W * code, 0
    return CELL_W * ((code - 1) % PER_ROW), CELL_H * ((code - 1) // PER_ROW)


def ink_map(pixels):
    luma = [[(299 * r + 587 * g + 114 * b) // 1000 for (r, g, b) in row] for row in pixels]
    lo = min(min(row) for row in luma)
    hi = max(max(row) for row in luma)
    threshold = (lo + hi) / 2
    return [[v < threshold for v in row] for row in luma]


def compare(ink, glyphs, codes, ox, oy, scale):
    """Returns ({code: wrong pixel count}, [hidden codes])."""
    height, width = len(ink), len(ink[0])
    wrong, hidden = {}, []
    for code in codes:
        cx, cy = cell_origin(code)
        left, top = ox + cx * scale, oy + cy * scale
        if left < 0 or top < 0 or left + GLYPH_W * scale > width or top + GLYPH_H * scale > height:
            hidden.append(code)
            continue
        bad = 0
        for y in range(GLYPH_H * scale):
            for x in range(GLYPH_W * scale):
                want = glyphs[code][y // scale][x // scale] == "#"
                if ink[top + y][left + x] != want:
                    bad += 1
        wrong[code] = bad
    return wrong, hidden


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("screenshot")
    parser.add_argument("--chart", default=DEFAULT_CHART)
    parser.add_argument("--glyphs", default=os.path.join(REPO, "data", "ti85-glyphs.txt"))
    parser.add_argument("--first", type=lambda s: int(s, 0), default=1)
    parser.add_argument("--last", type=lambda s: int(s, 0), default=0xD7)
    parser.add_argument("--origin", help="X,Y of the client area in the picture")
    parser.add_argument("--search", type=int, default=8)
    parser.add_argument("--scale", type=int, default=1)
    args = parser.parse_args()

    table = read_glyph_table(args.glyphs)
    chart = read_chart(args.chart)
    glyphs = [chart[c] if c < FIRST_PLACEHOLDER else table[c] for c in range(256)]
    _, _, pixels = read_png(args.screenshot)
    ink = ink_map(pixels)
    codes = range(args.first, args.last + 1)

    if args.origin:
        candidates = [tuple(int(v) for v in args.origin.split(","))]
    else:
        candidates = [(x, y) for y in range(args.search + 1) for x in range(args.search + 1)]
    best = None
    for ox, oy in candidates:
        wrong, hidden = compare(ink, glyphs, codes, ox, oy, args.scale)
        score = (sum(1 for n in wrong.values() if n == 0), -len(hidden))
        if best is None or score > best[0]:
            best = (score, ox, oy, wrong, hidden)
    _, ox, oy, wrong, hidden = best

    matching = [c for c, n in wrong.items() if n == 0]
    print("client area at (%d, %d), scale %d" % (ox, oy, args.scale))
    print("codes 0x%02X-0x%02X: %d cells, %d match pixel for pixel, %d differ, %d not visible" %
          (args.first, args.last, len(codes), len(matching), len(wrong) - len(matching),
           len(hidden)))
    for code, n in sorted(wrong.items()):
        if n:
            print("  0x%02X: %d pixels differ" % (code, n))
    if hidden:
        print("  not visible: " + " ".join("0x%02X" % c for c in hidden))
    return 0 if len(matching) == len(codes) else 1


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Reads the TI-85's 256 character glyphs off the calculator's glyph chart and
writes them as a text table, one block per code.

The chart (Debian's libticonv-dev ships it) is 16 x 16 cells of 12 x 16 screen
pixels; the cell for code c stands at column c % 16, row c // 16 and shows the
calculator's 6 x 8 glyph cell at double size, so each calculator pixel is a
2 x 2 square whose top left corner has even coordinates.

Codes 0xD8 to 0xFF are cursor shapes and blank cells on the calculator, not
characters; the table gives each of them a placeholder of its own instead: a
dark 5 x 7 block with the code's low hex digit cut out, under nothing
(0xD8-0xDF), a solid bar (0xE0-0xEF) or a dotted bar (0xF0-0xFF).

Usage: tools/ti85_glyphs.py [--chart PNG] [--out data/ti85-glyphs.txt] [--check]
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pngread import read_png  # noqa: E402

DEFAULT_CHART = "/usr/share/doc/libticonv-dev/charsets/ti85.png"
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_OUT = os.path.join(REPO, "data", "ti85-glyphs.txt")

GLYPH_W, GLYPH_H = 6, 8  # calculator cell, in calculator pixels
SCALE = 2  # chart pixels per calculator pixel
FIRST_PLACEHOLDER = 0xD8

LIT, DARK = "#", "."

# 3 x 5 hex digits for the placeholders.
HEX_DIGITS = {
    0x0: ["###", "#.#", "#.#", "#.#", "###"],
    0x1: [".#.", "##.", ".#.", ".#.", "###"],
    0x2: ["###", "..#", "###", "#..", "###"],
    0x3: ["###", "..#", ".##", "..#", "###"],
    0x4: ["#.#", "#.#", "###", "..#", "..#"],
    0x5: ["###", "#..", "###", "..#", "###"],
    0x6: ["###", "#..", "###", "#.#", "###"],
    0x7: ["###", "..#", ".#.", ".#.", ".#."],
    0x8: ["###", "#.#", "###", "#.#", "###"],
    0x9: ["###", "#.#", "###", "..#", "###"],
    0xA: [".#.", "#.#", "###", "#.#", "#.#"],
    0xB: ["##.", "#.#", "##.", "#.#", "##."],
    0xC: [".##", "#..", "#..", "#..", ".##"],
    0xD: ["##.", "#.#", "#.#", "#.#", "##."],
    0xE: ["###", "#..", "##.", "#..", "###"],
    0xF: ["###", "#..", "##.", "#..", "#.."],
}
# What tops the block, by high hex digit: row 0 of the cell.
PLACEHOLDER_MARK = {0xD: "......", 0xE: ".#####", 0xF: ".#.#.#"}


def read_chart(path):
    """Returns the 256 glyphs of the chart as lists of 8 strings of 6 pixels."""
    width, height, pixels = read_png(path)
    if (width, height) != (16 * GLYPH_W * SCALE, 16 * GLYPH_H * SCALE):
        raise SystemExit("%s: expected a %d x %d chart, found %d x %d" %
                         (path, 16 * GLYPH_W * SCALE, 16 * GLYPH_H * SCALE, width, height))
    luma = [[(299 * r + 587 * g + 114 * b) // 1000 for (r, g, b) in row] for row in pixels]
    lo = min(min(row) for row in luma)
    hi = max(max(row) for row in luma)
    if hi - lo < 64:
        raise SystemExit("%s: no contrast between ink and paper" % path)
    threshold = (lo + hi) / 2
    ink = [[v < threshold for v in row] for row in luma]

    glyphs = []
    for code in range(256):
        left = (code % 16) * GLYPH_W * SCALE
        top = (code // 16) * GLYPH_H * SCALE
        rows = []
        for gy in range(GLYPH_H):
            line = ""
            for gx in range(GLYPH_W):
                x, y = left + gx * SCALE, top + gy * SCALE
                square = {ink[y + dy][x + dx] for dy in range(SCALE) for dx in range(SCALE)}
                if len(square) != 1:
                    raise SystemExit("%s: code 0x%02X, pixel (%d, %d) is not a whole %d x %d "
                                     "square" % (path, code, gx, gy, SCALE, SCALE))
                line += LIT if ink[y][x] else DARK
            rows.append(line)
        glyphs.append(rows)
    return glyphs


def placeholder(code):
    """A dark 5 x 7 block (columns 1-5, rows 1-7) with the low hex digit cut out
    of columns 2-4, rows 2-6, and row 0 telling the high digit. The digit and
    the mark stay clear of row 7, which the character map cuts off in its
    last row until the window is enlarged."""
    digit = HEX_DIGITS[code & 0xF]
    rows = [PLACEHOLDER_MARK[code >> 4]]
    for y in range(1, GLYPH_H):
        line = DARK
        for x in range(1, 6):
            inside = 2 <= y <= 6 and 2 <= x <= 4
            cut = inside and digit[y - 2][x - 2] == "#"
            line += DARK if cut else LIT
        rows.append(line)
    return rows


def format_table(glyphs, chart_name):
    out = [
        "# The TI-85's character glyphs: one block per code 0x00-0xFF, a line with",
        "# the code, then the 6 x 8 pixel cell, top row first ('#' ink, '.' paper).",
        "# Comment lines start with '# '.",
        "# The calculator draws in columns 1-5 and rows 0-6; column 0 and row 7",
        "# space the glyphs apart.",
        "#",
        "# 0x00-0xD7 are read off %s by tools/ti85_glyphs.py." % chart_name,
        "# 0xD8-0xFF are not characters on the calculator (cursor shapes and blank",
        "# cells); each has a placeholder of its own, marked \"placeholder\": a dark",
        "# block in rows 1-7 with the low hex digit cut out, under nothing (0xD8-0xDF),",
        "# a solid bar (0xE0-0xEF) or a dotted bar (0xF0-0xFF) in row 0.",
        "# tools/ti85_font.py builds the font from this table.",
    ]
    for code, rows in enumerate(glyphs):
        out.append("")
        out.append("0x%02X%s" % (code, " placeholder" if code >= FIRST_PLACEHOLDER else ""))
        out.extend(rows)
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--chart", default=DEFAULT_CHART)
    parser.add_argument("--out", default=DEFAULT_OUT)
    parser.add_argument("--check", action="store_true",
                        help="compare the table with --out instead of writing it")
    args = parser.parse_args()

    glyphs = read_chart(args.chart)
    for code in range(FIRST_PLACEHOLDER, 256):
        glyphs[code] = placeholder(code)
    table = format_table(glyphs, os.path.basename(args.chart))
    if args.check:
        with open(args.out, encoding="ascii") as f:
            committed = f.read()
        if committed != table:
            for number, (want, have) in enumerate(zip(table.split("\n"), committed.split("\n")), 1):
                if want != have:
                    raise SystemExit("%s:%d: %r, but the chart gives %r" %
                                     (args.out, number, have, want))
            raise SystemExit("%s: differs in length from the table the chart gives" % args.out)
        print("%s matches the chart" % args.out)
        return
    with open(args.out, "w", encoding="ascii") as f:
        f.write(table)
    print("wrote %s" % args.out)


if __name__ == "__main__":
    main()

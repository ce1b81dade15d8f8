#!/usr/bin/python3
"""Builds the calculator font "TI85" from the glyph table.

Each glyph is drawn from pixel squares: the em is 8 calculator pixels (so the
font at 6 points on a 96 dpi screen, 8 screen pixels, puts one calculator pixel
on one screen pixel), the baseline lies under pixel row 6, every advance is 6
pixels. The character map holds exactly the display characters of the editor's
character set, read from the kDisplay table in core/Charset.cpp; each is drawn
with the glyph of its byte.

Needs Debian's python3-fonttools. The generated font is committed, so building
the editor needs no Python; run this after changing the table or kDisplay.

Usage: tools/ti85_font.py [--glyphs data/ti85-glyphs.txt] [--charset core/Charset.cpp]
                          [--out ui/fonts/TI85.ttf]
"""

import argparse
import os
import re

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

FAMILY = "TI85"
STYLE = "Bold"  # the calculator's strokes are two pixels wide or more; the editor asks for weight 700
WEIGHT = 700

GLYPH_W, GLYPH_H = 6, 8  # cell in calculator pixels
BASELINE_ROW = 6  # last row above the baseline
UNIT = 128  # font units per calculator pixel
UNITS_PER_EM = GLYPH_H * UNIT
ASCENT = (BASELINE_ROW + 1) * UNIT
DESCENT = (GLYPH_H - BASELINE_ROW - 1) * UNIT
ADVANCE = GLYPH_W * UNIT

# Fixed so that regenerating from unchanged inputs gives the same file
# (seconds since 1904-01-01, the epoch of the 'head' table: 2024-01-01).
TIMESTAMP = 3786825600


def read_glyph_table(path):
    """Returns {code: [8 strings of 6 pixels]} for all 256 codes."""
    glyphs = {}
    code = None
    with open(path, encoding="ascii") as f:
        for number, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or line == "#" or line.startswith("# "):
                continue
            if line.startswith("0x"):
                code = int(line.split()[0], 16)
                if code in glyphs:
                    raise SystemExit("%s:%d: code 0x%02X twice" % (path, number, code))
                glyphs[code] = []
                continue
            if code is None or len(line) != GLYPH_W or set(line) - set("#."):
                raise SystemExit("%s:%d: not a glyph row: %r" % (path, number, line))
            if len(glyphs[code]) == GLYPH_H:
                raise SystemExit("%s:%d: code 0x%02X has more than %d rows" %
                                 (path, number, code, GLYPH_H))
            glyphs[code].append(line)
    missing = [c for c in range(256) if len(glyphs.get(c, [])) != GLYPH_H]
    if missing:
        raise SystemExit("%s: codes without a whole glyph: %s" %
                         (path, ", ".join("0x%02X" % c for c in missing)))
    return glyphs


def read_display_characters(path):
    """Returns the 256 display characters of kDisplay in core/Charset.cpp."""
    with open(path, encoding="utf-8") as f:
        source = f.read()
    stand_in = re.search(r"kStandInBase\s*=\s*(0x[0-9A-Fa-f]+)", source)
    if stand_in is None:
        # The base is declared in the header beside the source.
        with open(os.path.splitext(path)[0] + ".h", encoding="utf-8") as f:
            stand_in = re.search(r"kStandInBase\s*=\s*(0x[0-9A-Fa-f]+)", f.read())
    base = int(stand_in.group(1), 16)
    table = re.search(r"kDisplay\s*=\s*\{(.*?)\};", source, re.S)
    if table is None:
        raise SystemExit("%s: no kDisplay table" % path)
    body = re.sub(r"//[^\n]*", "", table.group(1))
    chars = []
    for item in body.split(","):
        item = item.strip()
        if not item:
            continue
        m = re.fullmatch(r"(?:S\s*\+\s*)?(0x[0-9A-Fa-f]+)", item)
        if m is None:
            raise SystemExit("%s: cannot read kDisplay entry %r" % (path, item))
        value = int(m.group(1), 16)
        chars.append(base + value if item.startswith("S") else value)
    if len(chars) != 256:
        raise SystemExit("%s: kDisplay has %d entries, not 256" % (path, len(chars)))
    return chars


def rectangles(rows):
    """Covers the lit pixels with rectangles (x, y, w, h) in pixels: runs within
    a row, merged with the same run in the rows below."""
    open_runs = {}
    done = []
    for y, line in enumerate(rows + ["." * GLYPH_W]):
        runs = set(m.span() for m in re.finditer(r"#+", line))
        for span in list(open_runs):
            if span not in runs:
                top = open_runs.pop(span)
                done.append((span[0], top, span[1] - span[0], y - top))
        for span in runs:
            open_runs.setdefault(span, y)
    return sorted(done, key=lambda r: (r[1], r[0]))


def draw(rows):
    from fontTools.pens.ttGlyphPen import TTGlyphPen

    pen = TTGlyphPen(None)
    for x, y, w, h in rectangles(rows):
        left, right = x * UNIT, (x + w) * UNIT
        top, bottom = ASCENT - y * UNIT, ASCENT - (y + h) * UNIT
        # clockwise, as TrueType wants outer contours
        pen.moveTo((left, bottom))
        pen.lineTo((left, top))
        pen.lineTo((right, top))
        pen.lineTo((right, bottom))
        pen.closePath()
    return pen.glyph()


NOTDEF = [".#####", ".#...#", ".#...#", ".#...#", ".#...#", ".#...#", ".#####", "......"]


def build(glyphs, display, out):
    from fontTools.fontBuilder import FontBuilder

    order = [".notdef"]
    outlines = {".notdef": draw(NOTDEF)}
    cmap = {}
    for code in range(1, 256):
        ch = display[code]
        if ch in cmap:
            raise SystemExit("U+%04X is the display character of 0x%02X and 0x%02X" %
                             (ch, cmap[ch][1], code))
        name = "uni%04X" % ch
        order.append(name)
        outlines[name] = draw(glyphs[code])
        cmap[ch] = (name, code)

    fb = FontBuilder(UNITS_PER_EM, isTTF=True)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({ch: name for ch, (name, _) in cmap.items()})
    fb.setupGlyf(outlines)
    metrics = {}
    for name in order:
        glyph = outlines[name]
        glyph.recalcBounds(fb.font["glyf"])
        metrics[name] = (ADVANCE, glyph.xMin if glyph.numberOfContours else 0)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT, lineGap=0)
    fb.setupNameTable({
        "familyName": FAMILY,
        "styleName": STYLE,
        "uniqueFontIdentifier": "Vellum: %s %s" % (FAMILY, STYLE),
        "fullName": "%s %s" % (FAMILY, STYLE),
        "psName": "%s-%s" % (FAMILY, STYLE),
        "version": "Version 1.000",
        "description": "The TI-85 calculator's character glyphs, 6 x 8 pixels, "
                       "built by Vellum's tools/ti85_font.py",
    })
    fb.setupOS2(
        version=4,
        usWeightClass=WEIGHT,
        fsSelection=0x20 | 0x80,  # BOLD, USE_TYPO_METRICS
        xAvgCharWidth=ADVANCE,
        sTypoAscender=ASCENT,
        sTypoDescender=-DESCENT,
        sTypoLineGap=0,
        usWinAscent=ASCENT,
        usWinDescent=DESCENT,
        sxHeight=5 * UNIT,
        sCapHeight=7 * UNIT,
        achVendID="VLLM",
        ulCodePageRange1=1 << 0,  # Latin 1
    )
    fb.setupPost(isFixedPitch=1, underlinePosition=-UNIT // 2, underlineThickness=UNIT)
    fb.font["OS/2"].panose.update(bFamilyType=2, bWeight=8, bProportion=9)  # text, bold, monospaced
    fb.font["head"].macStyle = 0x01  # bold
    fb.font["head"].created = TIMESTAMP
    fb.font["head"].modified = TIMESTAMP
    fb.font["OS/2"].recalcUnicodeRanges(fb.font)
    os.makedirs(os.path.dirname(out) or ".", exist_ok=True)
    fb.save(out)
    return len(cmap)



def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--glyphs", default=os.path.join(REPO, "data", "ti85-glyphs.txt"))
    parser.add_argument("--charset", default=os.path.join(REPO, "core", "Charset.cpp"))
    parser.add_argument("--out", default=os.path.join(REPO, "ui", "fonts", "TI85.ttf"))
    args = parser.parse_args()

    count = build(read_glyph_table(args.glyphs), read_display_characters(args.charset), args.out)
    print("wrote %s: %d characters" % (args.out, count))


if __name__ == "__main__":
    main()

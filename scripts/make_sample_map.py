#!/usr/bin/env python3
"""Generate data/samples/sample_map.mem, an invented elevation map sheet.

Run from the repository root:  python3 scripts/make_sample_map.py
The sheet is 40 columns by 30 rows of heights in tenths of a metre: a ridge
with two summits in the north, a valley with a stream in the south and a
corner of sea without heights (-9999). It is written the way Japanese desktops
write these files: Shift_JIS (CP932), CR LF line ends, fixed columns counted in
characters.
"""

import math
import os

NX, NY = 40, 30
SHEET = "架空山地"
SHEET_ID = "KS0417"
NO_HEIGHT = -9999


def height(i, j):
    """Height in metres of column i (1 = west), row j (1 = south)."""
    x, y = i - 1, j - 1
    # The stream falls from 180 m in the west to 110 m in the east; the nodes
    # nearest to it lie at about 120 to 200 m.
    stream_y = 7.5 + 1.8 * math.sin(x / 6.0)
    stream_z = 180.0 - 70.0 * x / (NX - 1)
    valley = stream_z + 260.0 * (1.0 - math.exp(-abs(y - stream_y) / 6.0))
    # The ridge line bends a little; its crest has two summits and a saddle.
    ridge_y = 21.0 + 2.0 * math.sin(x / 7.0)
    crest = (360.0 + 420.0 * math.exp(-((x - 11.0) / 6.0) ** 2)
             + 250.0 * math.exp(-((x - 29.0) / 5.0) ** 2))
    ridge = crest * math.exp(-((y - ridge_y) / 6.5) ** 2)
    return max(valley, ridge + 0.25 * valley)


def is_sea(i, j):
    return (NX - i) ** 2 + (j - 1) ** 2 < 10


def fixed(text, width):
    assert len(text) <= width, (text, width)
    return text.ljust(width)


def header():
    line = (fixed("KSD-MEM 2001 " + SHEET_ID + " 01", 23)
            + "%3d%3d" % (NX, NY)
            + fixed(" 35 21 30 139 05 00 0310 0250", 29)
            + fixed(SHEET, 10)
            + fixed("  1 2001 07 15 ESTIMATED  0000 00", 34)
            + "%3d" % NY)
    assert len(line) == 105
    return line


def record(row, j):
    cells = []
    for i in range(1, NX + 1):
        tenths = NO_HEIGHT if is_sea(i, j) else round(height(i, j) * 10)
        cells.append("%5d" % tenths)
    return SHEET_ID + "%3d" % row + "".join(cells)


def main():
    # The first record is the northernmost row.
    lines = [header()] + [record(row, NY + 1 - row) for row in range(1, NY + 1)]
    path = os.path.join("data", "samples", "sample_map.mem")
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("cp932"))
    heights = [height(i, j) for i in range(1, NX + 1) for j in range(1, NY + 1)
               if not is_sea(i, j)]
    print("%s: %d x %d, heights %.1f to %.1f m" % (path, NX, NY, min(heights), max(heights)))


if __name__ == "__main__":
    main()

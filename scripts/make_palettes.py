#!/usr/bin/env python3
"""Generate the built-in colour tables in data/.

Run from the repository root:  python3 scripts/make_palettes.py
Each table is written as its colour count followed by one "R,G,B" line per
colour, lowest value first.
"""

import os

# Hypsometric tints: lowland greens, yellow, tans and browns, snow at the top.
TERRAIN = [
    (0.00, (38, 115, 60)),
    (0.14, (82, 155, 72)),
    (0.28, (160, 196, 102)),
    (0.40, (236, 226, 140)),
    (0.52, (228, 190, 120)),
    (0.64, (200, 148, 92)),
    (0.76, (160, 108, 68)),
    (0.87, (135, 100, 80)),
    (0.94, (198, 182, 168)),
    (1.00, (250, 248, 244)),
]

# Viridis (CC0), every 15th entry of the published 256-entry table.
VIRIDIS = [
    "#440154", "#481769", "#472a7a", "#433d84", "#3d4e8a", "#355e8d",
    "#2e6d8e", "#297b8e", "#23898e", "#1f978b", "#21a585", "#2eb37c",
    "#46c06f", "#65cb5e", "#89d548", "#b0dd2f", "#d8e219", "#fde725",
]

# Blue-white-red, mirrored about the middle so both halves carry equal weight.
DIVERGING = [
    (0.00, (30, 55, 130)),
    (0.18, (60, 115, 190)),
    (0.36, (150, 195, 230)),
    (0.50, (247, 247, 247)),
    (0.64, (242, 180, 160)),
    (0.82, (205, 80, 70)),
    (1.00, (125, 15, 30)),
]

RAINBOW = [
    (0.0, (0, 0, 255)),
    (0.2, (0, 255, 255)),
    (0.4, (0, 255, 0)),
    (0.6, (255, 255, 0)),
    (0.8, (255, 128, 0)),
    (1.0, (255, 0, 0)),
]

SHADE_BANDS = 21
SHADES_PER_BAND = 9
TINT = 0.35    # how far the lit face is pushed toward white
DARKEST = 0.35  # brightness factor of the grazed face


def clamp(v):
    return max(0, min(255, int(round(v))))


def mix(a, b, f):
    return tuple(x + (y - x) * f for x, y in zip(a, b))


def sample(anchors, t):
    """Colour at t in [0, 1], linear in RGB between (position, colour) anchors."""
    if t <= anchors[0][0]:
        return anchors[0][1]
    for (t0, c0), (t1, c1) in zip(anchors, anchors[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return anchors[-1][1]


def ramp(anchors, n):
    return [sample(anchors, i / (n - 1)) for i in range(n)]


def even(colours):
    """Spread equally spaced colours over [0, 1] as anchors."""
    n = len(colours) - 1
    return [(i / n, c) for i, c in enumerate(colours)]


def hex_rgb(h):
    return tuple(int(h[i:i + 2], 16) for i in (1, 3, 5))


def shades(base):
    """Lit tint through the plain colour (middle slot) down to a dark shade."""
    half = (SHADES_PER_BAND - 1) / 2
    out = []
    for k in range(SHADES_PER_BAND):
        if k <= half:
            out.append(mix(base, (255, 255, 255), TINT * (1 - k / half)))
        else:
            f = 1 - (1 - DARKEST) * (k - half) / half
            out.append(tuple(x * f for x in base))
    return out


def shaded_relief():
    table = []
    for base in ramp(TERRAIN, SHADE_BANDS):
        table.extend(shades(base))
    # Slot 1 is only drawn in the legend, below band 1's lit shade.
    return [table[0]] + table


def write(path, colours):
    lines = [str(len(colours))]
    lines += [",".join(str(clamp(x)) for x in c) for c in colours]
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    os.makedirs("data", exist_ok=True)
    tables = {
        "Color1.txt": ramp(TERRAIN, 20),
        "Color2.txt": ramp(even([hex_rgb(h) for h in VIRIDIS]), 43),
        "Color3.txt": ramp(DIVERGING, 36),
        "Color4.txt": ramp(RAINBOW, 44),
        "ColorShd.txt": shaded_relief(),
    }
    for name, colours in tables.items():
        write(os.path.join("data", name), colours)
        print("data/%s: %d colours" % (name, len(colours)))


if __name__ == "__main__":
    main()

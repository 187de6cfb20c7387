#!/usr/bin/env python3
"""Generate data/samples/fault_bed.txt and data/samples/fault_bed_faults.txt.

Run from the repository root:  python3 scripts/make_fault_sample.py
An invented bedding surface over 1000 x 800 m that dips 12 degrees towards
110 (east-south-east), cut by a normal fault that runs from south to north
with a bend; the east (hanging-wall) block lies 80 m lower. Heights from
outcrops and boreholes and strike/dip readings on both sides are written as
a layout-3 data file (id,x,y,z,l,trend,dip, 9e9 for a missing value, an end
line), and the fault trace as x,y points, one a line.
"""

import math
import os
import random

TRACE = [(430.0, -30.0), (470.0, 300.0), (520.0, 560.0), (560.0, 830.0)]
THROW = 80.0
DIP, DIP_DIRECTION = 12.0, 110.0


def east_of_fault(x, y):
    """Whether (x, y) lies east of the trace (the trace runs south to north)."""
    for (ax, ay), (bx, by) in zip(TRACE, TRACE[1:]):
        if ay <= y <= by:
            return x > ax + (bx - ax) * (y - ay) / (by - ay)
    return x > TRACE[-1][0]


def bed(x, y):
    """Height of the bed, with a gentle swell, and its throw east of the fault."""
    t = math.tan(math.radians(DIP))
    a = math.radians(DIP_DIRECTION)
    z = 420.0 - t * (x * math.sin(a) + y * math.cos(a)) + 6.0 * math.sin(x / 160.0)
    return z - (THROW if east_of_fault(x, y) else 0.0)


def dip_at(x, y):
    """Dip direction and dip (degrees) of the bed at (x, y), from its slope."""
    h = 0.5
    gx = (bed(x + h, y) - bed(x - h, y)) / (2 * h)
    gy = (bed(x, y + h) - bed(x, y - h)) / (2 * h)
    direction = math.degrees(math.atan2(-gx, -gy)) % 360.0
    return direction, math.degrees(math.atan(math.hypot(gx, gy)))


def near_fault(x, y, distance):
    return any(abs(x - (ax + (bx - ax) * (y - ay) / (by - ay))) < distance
               for (ax, ay), (bx, by) in zip(TRACE, TRACE[1:]) if ay <= y <= by)


def main():
    random.seed(20261208)
    rows = []
    while len(rows) < 160:
        x, y = random.uniform(20, 980), random.uniform(20, 780)
        if near_fault(x, y, 25):  # no reading in the crushed zone
            continue
        k = len(rows) + 1
        if k % 4 == 0:
            direction, dip = dip_at(x, y)
            rows.append(f'"地点{k:03d}",{x:.2f},{y:.2f},9e9,0,{direction:.1f},{dip:.1f}')
        elif k % 4 == 1:
            direction, dip = dip_at(x, y)
            z = bed(x, y) + random.gauss(0, 0.5)
            rows.append(f'"地点{k:03d}",{x:.2f},{y:.2f},{z:.2f},0,{direction:.1f},{dip:.1f}')
        else:
            z = bed(x, y) + random.gauss(0, 0.5)
            rows.append(f'"地点{k:03d}",{x:.2f},{y:.2f},{z:.2f},0,9e9,9e9')
    rows.append('"終",0,0,0,0,0,0')
    folder = os.path.join("data", "samples")
    with open(os.path.join(folder, "fault_bed.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(rows) + "\n")
    with open(os.path.join(folder, "fault_bed_faults.txt"), "w", encoding="utf-8",
              newline="\n") as f:
        f.write("# 正断層（東側が 80 m 落ちる）\n")
        f.write("".join(f"{x:.1f},{y:.1f}\n" for x, y in TRACE))


if __name__ == "__main__":
    main()

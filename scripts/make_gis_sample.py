#!/usr/bin/env python3
"""Generate data/samples/fault_bed.geojson from data/samples/fault_bed.txt.

Run from the repository root:  python3 scripts/make_gis_sample.py
The same outcrop heights and strike/dip readings as a GIS point layer, as a
survey's GIS would hold them: in JGD2011 / Japan Plane Rectangular CS IX
(EPSG:6677), the fields named in Japanese (地点, 標高, 傾斜方向, 傾斜), and
null where a reading is missing.
"""

import csv
import json

SOURCE = "data/samples/fault_bed.txt"
TARGET = "data/samples/fault_bed.geojson"


def value(text):
    number = float(text)
    return None if number >= 9e8 else number


def main():
    with open(SOURCE, encoding="utf-8") as source:
        rows = list(csv.reader(source))[:-1]  # the last line ends the file
    features = []
    for name, x, y, z, _code, trend, dip in rows:
        features.append({
            "type": "Feature",
            "properties": {"地点": name, "標高": value(z), "傾斜方向": value(trend),
                           "傾斜": value(dip)},
            "geometry": {"type": "Point", "coordinates": [float(x), float(y)]},
        })
    layer = {
        "type": "FeatureCollection",
        "name": "outcrops",
        "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::6677"}},
        "features": features,
    }
    with open(TARGET, "w", encoding="utf-8") as target:
        json.dump(layer, target, ensure_ascii=False, indent=None, separators=(",", ":"))
        target.write("\n")


if __name__ == "__main__":
    main()

#!/usr/bin/env bash
# Writes the pictures and grid files of a matrix of command-line runs over the
# samples into OUTDIR, so that two builds can be compared byte for byte:
#   scripts/picture_matrix.sh build/kessadon /tmp/before
#   scripts/picture_matrix.sh build/kessadon /tmp/after && diff -r /tmp/before /tmp/after
set -uo pipefail
bin="$(realpath "$1")"
out="$2"
cd "$(dirname "$0")/../data/samples"
mkdir -p "$out"
count=0
run() {  # NAME ARGS...: one run, its stderr and exit status kept beside the output
  local name="$1"
  shift
  "$bin" "$@" >"$out/$name.stdout" 2>"$out/$name.stderr"
  echo "$?" >"$out/$name.status"
  # The output folder differs between the two runs compared.
  sed -i "s|$out|OUT|g" "$out/$name.stdout" "$out/$name.stderr"
  count=$((count + 1))
}

for grid in hill.grd plane.grd single.grd sample_map.mem; do
  for mode in grid contour shade color-contour color-shade; do
    for view in plan 225,30 45,60; do
      name="${grid%.*}-$mode-${view/,/_}"
      legend=()
      [[ $mode == color-* ]] && legend=(--legend "$out/$name-legend.png")
      run "$name" render "$grid" --mode "$mode" --view "$view" --size 320,240 "${legend[@]}" \
        -o "$out/$name.png"
    done
  done
done
for extra in "--black" "--scale-ticks" "--frame 2" "--frame none" "--base none" \
  "--levels 40,120,7.5" "--divisions 7" "--no-contour-lines" "--perspective 800,400" \
  "--scale 2 --exaggeration 3" "--palette 2" "--palette 2 --divisions 12" \
  "--palette 4 --equalize" "--light 30,60"; do
  name="hill-contour-$(tr -c 'a-z0-9' '_' <<<"$extra")"
  # shellcheck disable=SC2086
  run "$name" render hill.grd --mode contour --view 225,30 --size 320,240 $extra -o "$out/$name.bmp"
  for mode in color-contour color-shade; do
    name="hill-$mode-$(tr -c 'a-z0-9' '_' <<<"$extra")"
    # shellcheck disable=SC2086
    run "$name" render hill.grd --mode "$mode" --view 225,30 --size 320,240 $extra \
      --legend "$out/$name-legend.bmp" -o "$out/$name.bmp"
  done
done
for data in hill_points.txt bounds.txt fold_dips.txt; do
  for view in plan 200,40; do
    name="data-${data%.*}-${view/,/_}"
    run "$name" render hill.grd --mode contour --view "$view" --data "$data" --size 320,240 \
      -o "$out/$name.png"
    run "$name-labels" render hill.grd --mode color-shade --view "$view" --data "$data" \
      --white-labels --symbol-scale 2 --label-size 10 --size 320,240 -o "$out/$name-labels.png"
  done
  run "view-${data%.*}" render --data-view --data "$data" --size 320,240 -o "$out/view-${data%.*}.png"
done
run view-sections render --data-view --layout 3 --data fold_dips.txt --size 320,240 \
  -o "$out/view-sections.png"
run refused-mode render hill.grd --mode color-shade --levels 100,0,-10 -o "$out/refused.png"

run estimate-hill estimate hill_points.txt --nodes 41,31 -o "$out/est-hill.grd"
run estimate-bounds estimate bounds.txt --nodes 31,21 -o "$out/est-bounds.grd"
run estimate-dips estimate fold_dips.txt --nodes 25,25 -o "$out/est-dips.grd"
run refine refine hill.grd --nodes 81,61 -o "$out/refined.grd"
run convert convert sample_map.mem -o "$out/map.grd"
run convert-tif convert hill.grd --crs EPSG:6677 -o "$out/hill.asc"
run contours contours hill.grd --divisions 20 -o "$out/hill-contours.geojson"

# The faulted sample: the cells the traces cut draw no contour lines, and the
# traces are drawn over the picture and under the data.
faulted="$out/fault-bed.grd"
run estimate-faults estimate --layout 3 fault_bed.txt --nodes 101,81 --range 0,0,1000,800 \
  --faults fault_bed_faults.txt -o "$faulted"
for mode in grid contour shade color-contour color-shade; do
  for view in plan 225,30 45,60; do
    name="faults-$mode-${view/,/_}"
    legend=()
    [[ $mode == color-* ]] && legend=(--legend "$out/$name-legend.png")
    run "$name" render "$faulted" --faults fault_bed_faults.txt --mode "$mode" --view "$view" \
      --size 320,240 "${legend[@]}" -o "$out/$name.png"
  done
done
for view in plan 200,40; do
  name="faults-data-${view/,/_}"
  run "$name" render "$faulted" --faults fault_bed_faults.txt --mode color-shade --view "$view" \
    --layout 3 --data fault_bed.txt --size 320,240 -o "$out/$name.png"
done
run faults-svg render "$faulted" --faults fault_bed_faults.txt --mode contour --view 225,30 \
  --size 320,240 -o "$out/faults-contour.svg"
run faults-perspective render "$faulted" --faults fault_bed_faults.txt --mode contour \
  --view 225,30 --perspective 2000,1000 --size 320,240 -o "$out/faults-perspective.bmp"
run contours-faults contours "$faulted" --levels 150,450,20 --faults fault_bed_faults.txt \
  -o "$out/fault-contours.geojson"
run contours-faults-divisions contours "$faulted" --divisions 30 --faults fault_bed_faults.txt \
  -o "$out/fault-contours-30.geojson"
run contours-faults-shp contours "$faulted" --levels 150,450,20 --faults fault_bed_faults.txt \
  -o "$out/fault-contours.shp"
run info grid-info hill.grd
echo "$count runs written to $out"

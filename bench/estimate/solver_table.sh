#!/bin/bash
# Whole-process wall time and peak memory of `kessadon estimate` by solver and
# grid size, with GMT's surface on the same points and nodes where it is
# installed (Debian package gmt), and each surface's RMS error against the
# terrain the points were drawn from (noise 1.0).
#   bench/estimate/solver_table.sh BIN [SIZES...]     e.g. build/kessadon 100 300 1000
set -euo pipefail
BIN=$(realpath "$1")
shift
SIZES=${*:-100 300 1000 2000 4000}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

# n^2/10 noisy heights of a smooth terrain over 0 ... 1000, as a layout-1
# data file (its last line ends it) and as x y z for GMT.
points() {
  python3 - "$1" <<'PY'
import math, random, sys
n = int(sys.argv[1])
random.seed(2001)
terrain = lambda x, y: 200 + 80 * math.sin(x / 170) * math.cos(y / 230) + 0.05 * x
with open(f"h{n}.txt", "w") as ours, open(f"h{n}.xyz", "w") as xyz:
    for k in range(n * n // 10):
        x, y = random.uniform(0, 1000), random.uniform(0, 1000)
        z = terrain(x, y) + random.gauss(0, 1)
        ours.write(f"{k},{x:.3f},{y:.3f},{z:.3f}\n")
        xyz.write(f"{x:.3f} {y:.3f} {z:.3f}\n")
    ours.write("end,0,0,0\n")
PY
}

# RMS of a surface (x y z lines) against the terrain.
rms() {
  python3 -c '
import math, sys
t = lambda x, y: 200 + 80 * math.sin(x / 170) * math.cos(y / 230) + 0.05 * x
s = n = 0
for line in sys.stdin:
    x, y, z = map(float, line.split()[:3]); s += (z - t(x, y)) ** 2; n += 1
print(f"{math.sqrt(s / n):.3g}")'
}

# Our grid files: a header, then the heights with y fastest? Read as x-major
# and y-major and keep the closer, so the layout need not be known here.
grid_rms() {
  python3 -c '
import math, sys
t = lambda x, y: 200 + 80 * math.sin(x / 170) * math.cos(y / 230) + 0.05 * x
f = open(sys.argv[1]); nx, ny, x0, y0, dx, dy = f.readline().split()
nx, ny = int(nx), int(ny); x0, y0, dx, dy = map(float, (x0, y0, dx, dy))
v = [float(z) for z in f.read().split()]
a = sum((z - t(x0 + (k // ny) * dx, y0 + (k % ny) * dy)) ** 2 for k, z in enumerate(v))
b = sum((z - t(x0 + (k % nx) * dx, y0 + (k // nx) * dy)) ** 2 for k, z in enumerate(v))
print(f"{math.sqrt(min(a, b) / len(v)):.3g}")' "$1"
}

printf '%-6s %-10s %10s %10s %6s %8s\n' nodes solver wall_s peak_MiB iters rms
for n in $SIZES; do
  points "$n"
  for solver in band sparse iterative; do
    [ "$solver" = band ] && [ "$n" -gt 300 ] && continue
    [ "$solver" = sparse ] && [ "$n" -gt 2000 ] && continue
    if /usr/bin/time -f "%e %M" -o time.txt "$BIN" estimate "h$n.txt" --nodes "$n,$n" \
        --range 0,0,1000,1000 --solver "$solver" -o "o.grd" > report.txt 2> err.txt; then
      read -r wall kb < time.txt
      iters=$(sed -n 's/^iterations = //p' report.txt)
      printf '%-6s %-10s %10s %10d %6s %8s\n' "$n" "$solver" "$wall" $((kb / 1024)) \
        "${iters:--}" "$(grid_rms o.grd)"
    else
      printf '%-6s %-10s refused: %s\n' "$n" "$solver" "$(head -c 200 err.txt)"
    fi
  done
  if command -v gmt > /dev/null; then
    inc=$(python3 -c "print(repr(1000 / ($n - 1)))")
    /usr/bin/time -f "%e %M" -o time.txt gmt surface "h$n.xyz" -R0/1000/0/1000 -I"$inc" \
      -Gg.nc 2> /dev/null
    read -r wall kb < time.txt
    printf '%-6s %-10s %10s %10d %6s %8s\n' "$n" gmt "$wall" $((kb / 1024)) - \
      "$(gmt grd2xyz g.nc | rms)"
  fi
done

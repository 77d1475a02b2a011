#!/usr/bin/env bash
# Conversions through terrix and the GDAL plugin beside GDAL's own drivers, on
# the Natural Earth countries copied 280 times (49,560 polygons, about 3
# million vertices) and on a GeoJSON of 600,000 points. Each job runs against
# its peer in the same run, alternating, RUNS times (default 3); the medians,
# their ratios and the peak memory are printed as one table.
#
#   bench/conversions.sh [BUILD_DIR] [WORK_DIR]
#
# BUILD_DIR holds a release build with the tool and the plugin (default:
# build-release, configured and built here when missing); WORK_DIR holds the
# data sets (default: /tmp/terrix-bench, made on first use, about 700 MB).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-release}"
work="${2:-/tmp/terrix-bench}"
runs="${RUNS:-3}"
if [[ ! -x "$build/tools/terrix/terrix" || ! -f "$build/gdalplugins/ogr_Terrix.so" ]]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTERRIX_BUILD_TESTS=OFF > /dev/null
  cmake --build "$build" -j"$(nproc)" --target terrix ogr_Terrix
fi
terrix="$PWD/$build/tools/terrix/terrix"
export GDAL_DRIVER_PATH="$PWD/$build/gdalplugins"
ne="$PWD/data/naturalearth/naturalearth_lowres.shp"
mkdir -p "$work"
cd "$work"

# The data sets. A GeoPackage collects the copies (it keeps every value, where
# appending to a shapefile would meet its field widths), then one shapefile
# with the driver's default widths, which hold every value.
if [[ ! -f big.shp ]]; then
  echo "making the 280-copy data set in $work"
  rm -f big.gpkg
  ogr2ogr -q -unsetFieldWidth -f GPKG big.gpkg "$ne" -nln big
  for _ in $(seq 279); do ogr2ogr -q -append -f GPKG big.gpkg "$ne" -nln big; done
  ogr2ogr -q -unsetFieldWidth big.shp big.gpkg
  rm -f big.gpkg
fi
[[ -f big.tmf ]] || ogr2ogr -q -f Terrix big.tmf big.shp -lco CODEPAGE=GB18030
if [[ ! -f points.geojson ]]; then
  /usr/bin/python3 - <<'PY'
import random
random.seed(1)
with open('points.geojson', 'w') as f:
    f.write('{"type":"FeatureCollection","features":[\n')
    for i in range(600000):
        x, y = random.uniform(-180, 180), random.uniform(-90, 90)
        f.write('%s{"type":"Feature","properties":{"id":%d,"name":"place %d","value":%r},'
                '"geometry":{"type":"Point","coordinates":[%r,%r]}}\n' % (',' if i else '', i, i, i * 0.25, x, y))
    f.write(']}\n')
PY
fi

# One timed run: "seconds peak-kilobytes".
measure() {
  if ! /usr/bin/time -o time.log -f "%e %M" "$@" > /dev/null 2> stderr.log; then
    echo "failed: $*" >&2
    cat stderr.log >&2
    exit 1
  fi
  tail -1 time.log
}
median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

declare -A seconds peak
job() {  # job NAME COMMAND...
  local name="$1"; shift
  local result
  rm -rf out.*
  result=$(measure "$@")
  seconds[$name]+="${result% *} "
  peak[$name]+="${result#* } "
}

for run in $(seq "$runs"); do
  echo "run $run of $runs"
  job read-terrix ogr2ogr -f FlatGeobuf -nlt PROMOTE_TO_MULTI out.fgb big.tmf -oo CODEPAGE=GB18030
  job read-shapefile ogr2ogr -f FlatGeobuf -nlt PROMOTE_TO_MULTI out.fgb big.shp
  job write-terrix ogr2ogr -f Terrix out.tmf big.shp -lco CODEPAGE=GB18030
  written_tmf=$(stat -c %s out.tmf)
  job write-shapefile ogr2ogr -f "ESRI Shapefile" out.shp big.shp
  job export-terrix "$terrix" export big.tmf --codepage GB18030 -o out.terrix.geojson
  cp out.terrix.geojson terrix.geojson
  job export-ogr2ogr ogr2ogr -f GeoJSON out.ogr.geojson big.shp
  cp out.ogr.geojson ogr.geojson
  job import-terrix "$terrix" import points.geojson out.points.tmf
  written_points=$(stat -c %s out.points.tmf)
done
rm -rf out.*
med() { tr ' ' '\n' <<< "${seconds[$1]}" | grep . | median; }
medpeak() { tr ' ' '\n' <<< "${peak[$1]}" | grep . | median; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
mb() { awk -v k="$1" 'BEGIN {printf "%.0f", k / 1024}'; }

# terrix export must give the shapefile's coordinates, double for double.
# GDAL's GeoJSON driver is no reference there: it rounds (-16.639150000000004
# comes out as -16.63915), so the shapefile is read through GDAL's bindings.
same=$(/usr/bin/python3 - <<'PY'
import json
from osgeo import ogr
def flat(c, out):
    if isinstance(c, (int, float)):
        out.append(float(c))
    else:
        for e in c:
            flat(e, out)
    return out
def vertices(g, out):
    if g.GetGeometryCount() > 0:
        for k in range(g.GetGeometryCount()):
            vertices(g.GetGeometryRef(k), out)
    else:
        for x, y in g.GetPoints():
            out += [x, y]
    return out
with open('terrix.geojson') as f:
    terrix = [flat(ft['geometry']['coordinates'], []) for ft in json.load(f)['features']]
with open('ogr.geojson') as f:
    default = [flat(ft['geometry']['coordinates'], []) for ft in json.load(f)['features']]
source = ogr.Open('big.shp')
layer = source.GetLayer(0)
exact = [vertices(ft.GetGeometryRef(), []) for ft in layer]
rounded = sum(1 for a, b in zip(exact, default) if a != b)
print('%s to the shapefile; GDAL\'s output rounds %d of %d features'
      % ('identical' if terrix == exact else 'DIFFERENT', rounded, len(exact)))
PY
)

printf '\nmedians of %s runs (seconds; peak resident memory)\n' "$runs"
printf '%-34s %9s %9s %8s  %s\n' job terrix peer ratio "memory"
printf '%-34s %9s %9s %8s  %s\n' "read: ogr2ogr to FlatGeobuf" "$(med read-terrix)" "$(med read-shapefile)" \
  "$(ratio "$(med read-terrix)" "$(med read-shapefile)")" "$(mb "$(medpeak read-terrix)") MB vs $(mb "$(medpeak read-shapefile)") MB"
printf '%-34s %9s %9s %8s  %s\n' "write: ogr2ogr -f Terrix" "$(med write-terrix)" "$(med write-shapefile)" \
  "$(ratio "$(med write-terrix)" "$(med write-shapefile)")" \
  "$(mb "$(medpeak write-terrix)") MB vs $(mb "$(medpeak write-shapefile)") MB + 1.2 x $(mb $((written_tmf / 1024))) MB written = $(awk -v p="$(medpeak write-shapefile)" -v w="$written_tmf" 'BEGIN {printf "%.0f", (p + 1.2 * w / 1024) / 1024}') MB allowed"
printf '%-34s %9s %9s %8s  %s\n' "terrix export vs ogr2ogr GeoJSON" "$(med export-terrix)" "$(med export-ogr2ogr)" \
  "$(ratio "$(med export-ogr2ogr)" "$(med export-terrix)")x" "coordinates $same"
printf '%-34s %9s %9s %8s  %s\n' "terrix import, 600k points" "$(med import-terrix)" "-" "-" \
  "$(mb "$(medpeak import-terrix)") MB peak for $(mb $((written_points / 1024))) MB written ($(ratio "$(medpeak import-terrix)" $((written_points / 1024)))x)"

#!/usr/bin/env bash
# Builds the terrix tool and runs the main job on the bundled samples: info of
# every sample, export of the countries to GeoJSON, check of the countries.
# On a fresh Debian 12 machine, run as root, it first installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-packages.sh

build_dir="${1:-build-release}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTERRIX_BUILD_TESTS=OFF -DTERRIX_BUILD_TOOLS=ON
cmake --build "$build_dir" -j"$(nproc)" --target terrix
terrix="$build_dir/tools/terrix/terrix"
samples=data/samples
mkdir -p "$build_dir/out"

"$terrix" info --codepage GB18030 "$samples"/*.tmf
"$terrix" export --codepage GB18030 "$samples/countries.tmf" -o "$build_dir/out/countries.geojson"
echo "exported $build_dir/out/countries.geojson ($(wc -c < "$build_dir/out/countries.geojson") bytes)"
"$terrix" check "$samples/countries.tmf"

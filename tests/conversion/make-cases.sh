#!/usr/bin/env bash
# Makes the GeoPackage cases from their GeoJSON sources with ogr2ogr (GDAL
# types the fields: ISO dates as Date and DateTime, large integers as
# Integer64). The GeoJSON cases are written by hand; the hostile map files are
# built byte by byte by the test itself.
set -euo pipefail
cd "$(dirname "$0")/cases"
rm -f types.gpkg
ogr2ogr -q -f GPKG types.gpkg types.geojson -nln types

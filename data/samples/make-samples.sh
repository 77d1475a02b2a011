#!/usr/bin/env bash
# Regenerates the bundled samples from the Natural Earth data (public domain):
# the shapefiles become GeoJSON through ogr2ogr (Debian's gdal-bin), and the
# GeoJSON becomes map files through `terrix import`.
# Usage: data/samples/make-samples.sh NATURAL_EARTH_DIR TERRIX_BINARY
set -euo pipefail
ne="${1:?directory with naturalearth_lowres.shp and naturalearth_cities.shp}"
terrix="${2:?path to the terrix binary}"
cd "$(dirname "$0")"
command -v ogr2ogr >/dev/null || { apt-get update -qq && apt-get install -y -qq gdal-bin; }

rm -f countries.geojson cities.geojson borders.geojson
ogr2ogr -f GeoJSON -lco SIGNIFICANT_FIGURES=17 countries.geojson "$ne/naturalearth_lowres.shp"
ogr2ogr -f GeoJSON -lco SIGNIFICANT_FIGURES=17 cities.geojson "$ne/naturalearth_cities.shp"
ogr2ogr -f GeoJSON -lco SIGNIFICANT_FIGURES=17 -nlt MULTILINESTRING borders.geojson "$ne/naturalearth_lowres.shp"

# GB18030 extends GBK to all of Unicode, so names such as "Côte d'Ivoire" survive.
"$terrix" import countries.geojson countries.tmf --kind region --codepage GB18030
"$terrix" import cities.geojson cities.tmf --kind point --codepage GB18030
"$terrix" import borders.geojson borders.tmf --kind line --codepage GB18030
"$terrix" import countries.geojson countries-table.tmf --kind table --codepage GB18030

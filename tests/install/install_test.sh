#!/usr/bin/env bash
# The installed package as a user meets it: installed into a temporary prefix,
# the tool runs from there, a host builds against terrix.pc and another
# through find_package, and GDAL loads the installed plugin.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1" source="$2"
prefix="$(mktemp -d)" work="$(mktemp -d)"
trap 'rm -rf "$prefix" "$work"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
libdir="$(dirname "$(find "$prefix" -name 'libTerrixLib.so.*' | head -1)")"

# The tool runs from any prefix: its run path is relative to itself.
"$prefix/bin/terrix" --version | grep '^terrix ' > /dev/null
"$prefix/bin/terrix" info "$source/data/samples/cities.tmf" --codepage GB18030 | grep 'point file' > /dev/null

# A host through pkg-config.
export PKG_CONFIG_PATH="$libdir/pkgconfig"
g++ -std=c++17 -o "$work/host-pc" "$source/examples/host/main.cpp" $(pkg-config --cflags --libs terrix)
LD_LIBRARY_PATH="$libdir" "$work/host-pc" > /dev/null || true  # the example opens a file that need not exist
LD_LIBRARY_PATH="$libdir" ldd "$work/host-pc" | grep "$libdir/libTerrixLib.so" > /dev/null

# A host through find_package.
cmake -S "$source/examples/host" -B "$work/host-cmake" -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$work/host-cmake" > /dev/null
test -x "$work/host-cmake/terrix_host_example"

# GDAL loads the installed plugin, when it was built.
if [[ -f "$libdir/gdalplugins/ogr_Terrix.so" ]] && command -v ogrinfo > /dev/null; then
  GDAL_DRIVER_PATH="$libdir/gdalplugins" ogrinfo --formats | grep 'Terrix -vector- (rw' > /dev/null
fi
echo "installed package: ok"

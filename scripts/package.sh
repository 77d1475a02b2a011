#!/usr/bin/env bash
# Builds the Debian package of the library, the terrix tool and the GDAL
# plugin into build-package/: a release build for the prefix /usr, where
# Debian's GDAL looks for plugins by itself. Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-packages.sh
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTERRIX_BUILD_TESTS=OFF
cmake --build build-package -j"$(nproc)"
(cd build-package && cpack)
ls build-package/*.deb

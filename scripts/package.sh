#!/usr/bin/env bash
# Builds the release packages: the Debian package from a Linux release build
# and the .zip from a Windows release build (mingw-w64). Installs what is
# missing first (as root).
#
#   bash scripts/package.sh            # both
#   bash scripts/package.sh deb|zip    # one of them
#
# The packages land in build/package/linux/packages/*.deb and
# build/package/windows/packages/*.zip. The release number is the one in
# CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
what=${1:-all}
jobs=$(nproc)
release=(-DCMAKE_BUILD_TYPE=Release -DDS_BUILD_TESTS=OFF -DDS_BUILD_BENCH=OFF)

if [ "$what" = all ] || [ "$what" = deb ]; then
  bash scripts/install-deps.sh
  build=build/package/linux
  cmake -S "$root" -B "$build" "${release[@]}" >/dev/null
  cmake --build "$build" -j"$jobs"
  (cd "$build" && cpack -G DEB)
fi

if [ "$what" = all ] || [ "$what" = zip ]; then
  bash scripts/install-deps.sh g++-mingw-w64-x86-64-posix dpkg-dev tcl groff-base zip unzip
  # SQLite for Windows, shared with the Windows test build (cached there).
  sqlite="$root/build/windows/sqlite"
  bash scripts/windows-sqlite.sh "$sqlite"
  build=build/package/windows
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    "${release[@]}" -DSQLite3_INCLUDE_DIR="$sqlite/include" \
    -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.a" >/dev/null
  cmake --build "$build" -j"$jobs"
  (cd "$build" && cpack -G ZIP)
fi
ls -l build/package/*/packages/*.{deb,zip} 2>/dev/null || true

#!/usr/bin/env bash
# Makes SQLite for the Windows build: the amalgamation (sqlite3.c) from
# Debian's own source package of sqlite3, the version of the installed
# libsqlite3-dev, so both builds embed the same SQLite, compiled with mingw-w64
# into a static library.
#
#   bash scripts/windows-sqlite.sh OUTPUT-DIR
#
# Leaves OUTPUT-DIR/include/sqlite3.h and OUTPUT-DIR/lib/libsqlite3.a, which
# CMake's FindSQLite3 takes as SQLite3_INCLUDE_DIR and SQLite3_LIBRARY. The
# result is cached in OUTPUT-DIR (a build directory; never commit it).
# apt runs with a private source list and state under OUTPUT-DIR, so the
# system's apt configuration stays as it is. Needs dpkg-dev and tcl.
set -euo pipefail

out=$(mkdir -p "$1" && cd "$1" && pwd)
version=$(dpkg-query -W -f='${Version}' libsqlite3-dev 2>/dev/null || true)
if [ -z "$version" ]; then
  echo "windows-sqlite: libsqlite3-dev is not installed" >&2
  exit 1
fi
stamp="$out/VERSION"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] &&
   [ -f "$out/lib/libsqlite3.a" ] && [ -f "$out/include/sqlite3.h" ]; then
  exit 0
fi
rm -f "$stamp"

# A private apt state whose sources are the system's binary sources as
# source sources: same mirrors, same suites, same keys.
apt_dir="$out/apt"
rm -rf "$apt_dir"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
if [ -f /etc/apt/sources.list ]; then
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list > "$apt_dir/sources.list"
else
  : > "$apt_dir/sources.list"
fi
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  sed 's/^Types:.*$/Types: deb-src/' "$f" > "$apt_dir/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" > "$apt_dir/sources.list.d/$(basename "$f")"
done
apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=root"  # the private folders belong to the caller
)
echo "windows-sqlite: fetching the sqlite3 $version source package"
apt-get "${apt_options[@]}" -qq update
src_dir="$out/source"
rm -rf "$src_dir"
mkdir -p "$src_dir"
# The installed version first; should the archive have moved on since it
# was installed, the suites' current one.
(cd "$src_dir" && apt-get "${apt_options[@]}" -qq source --download-only "sqlite3=$version") ||
  (cd "$src_dir" && rm -f ./* && echo "windows-sqlite: taking the archive's current sqlite3" &&
   apt-get "${apt_options[@]}" -qq source --download-only sqlite3)

echo "windows-sqlite: generating the amalgamation"
tree="$src_dir/tree"
dpkg-source --no-check -x "$src_dir"/sqlite3_*.dsc "$tree" >/dev/null
build="$src_dir/build"
mkdir -p "$build"
(cd "$build" && "$tree/configure" >/dev/null && make -s sqlite3.c >/dev/null)

echo "windows-sqlite: compiling it for Windows"
mkdir -p "$out/include" "$out/lib"
cp "$build/sqlite3.h" "$out/include/"
x86_64-w64-mingw32-gcc-posix -O2 -DSQLITE_OMIT_LOAD_EXTENSION -c "$build/sqlite3.c" \
  -o "$src_dir/sqlite3.obj"
rm -f "$out/lib/libsqlite3.a"
x86_64-w64-mingw32-ar rcs "$out/lib/libsqlite3.a" "$src_dir/sqlite3.obj"
echo "$version" > "$stamp"
rm -rf "$src_dir" "$apt_dir"
echo "windows-sqlite: $out/lib/libsqlite3.a (SQLite $version)"

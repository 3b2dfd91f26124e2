#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# As root it uses apt-get; otherwise it names what to install.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libbenchmark-dev   # unit tests and benchmarks
  libssl-dev                      # tests cross-check digests and the cipher with libcrypto
  libsqlite3-dev sqlite3          # embedded transfer log and its shell
  unixodbc unixodbc-dev           # server databases through ODBC
  postgresql odbc-postgresql      # a real PostgreSQL for the ODBC tests
  clang libclang-rt-14-dev        # libFuzzer targets
  valgrind                        # leak and descriptor checks of the soak test
  chromium                        # the report's page, opened headless by its tests
  groff-base man-db               # manual pages: rendered and checked for markup faults
  dpkg-dev                        # the Debian package's dependencies (dpkg-shlibdeps)
  zip unzip                       # the Windows package
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Please install these Debian packages first: ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

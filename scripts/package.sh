#!/usr/bin/env bash
# Builds the Debian package tramora_<version>_amd64.deb into build-deb/:
# the program alone (no tests, no benchmark), stripped, installed under /usr.
# Install it with `sudo apt install ./build-deb/tramora_*_amd64.deb`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-deb" -DCMAKE_BUILD_TYPE=Release \
  -DTRAMORA_BUILD_TESTS=OFF -DTRAMORA_BUILD_BENCH=OFF
cmake --build "$root/build-deb" -j "$(nproc)"
cd "$root/build-deb"
cpack -G DEB
ls -l "$root"/build-deb/tramora_*_amd64.deb

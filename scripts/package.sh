#!/usr/bin/env bash
# Builds the Debian package in one command on Debian 12: installs what the build needs (as root),
# makes a Release build without the sanitizers in build-package/ and writes kestrel_VERSION_ARCH.deb
# into dist/. Install it with: sudo apt install ./dist/kestrel_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
build="$root/build-package"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_SANITIZE=OFF -DKESTREL_TESTS=OFF
cmake --build "$build" --target kestrel kestrel_data kestrel_icons
mkdir -p "$root/dist"
(cd "$build" && cpack -G DEB -B "$build/cpack")
cp "$build"/cpack/kestrel_*.deb "$root/dist/"
ls -l "$root"/dist/kestrel_*.deb

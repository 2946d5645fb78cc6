#!/usr/bin/env bash
# Installs what is needed, makes a release build and starts Kestrel.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_TESTS=OFF
cmake --build "$root/build-release"
program="$root/build-release/Kestrel/kestrel"
echo "Kestrel is built in $root/build-release/Kestrel (program, Kestrel.mdb, Res, Faces, Frf)."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display is available, so the program cannot open its window here." >&2
    echo "Start it on a virtual display instead:" >&2
    echo "    xvfb-run -a -s '-screen 0 1280x900x24' $program" >&2
    exit 1
fi
exec "$program"

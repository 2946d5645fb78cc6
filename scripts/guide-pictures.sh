#!/usr/bin/env bash
# Makes the pictures of the user guide (docs/images/*.png) with the program's own windows: the
# test program tst_guidepictures walks through a shop's first day on the books the build puts
# beside the program and saves each window as the guide names it. Run it after a window changed,
# look at the pictures, and commit them with the change.
#   scripts/guide-pictures.sh [BUILD-FOLDER]     (default: build-guide, a release build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-guide"}
if [ ! -f "$build/CMakeCache.txt" ]; then
    bash "$root/scripts/deps.sh"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target tst_guidepictures kestrel_data
pictures="$root/docs/images"
mkdir -p "$pictures"
# The same headless platform and program data as the test run; pictures at the scale of 100 %.
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 KESTREL_DATA_DIR="$root/data" \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" KESTREL_GUIDE_PICTURES="$pictures" \
    "$build/tests/tst_guidepictures"
echo "The guide's pictures are in $pictures"

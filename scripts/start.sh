#!/usr/bin/env bash
# Installs what is missing, builds the program and its media player in build/ (not the
# tests or benchmarks) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# A new build folder builds with Ninja (it keeps both cores busy across the libraries); one
# that exists keeps the generator it was made with.
generator=()
[ -f build/CMakeCache.txt ] || generator=(-G Ninja)
cmake "${generator[@]}" -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" --target talvo-rula mplayer2
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the program on a virtual display (xvfb-run)."
    exec xvfb-run -a ./build/talvo-rula
fi
exec ./build/talvo-rula

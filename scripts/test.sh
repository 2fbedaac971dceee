#!/usr/bin/env bash
# Installs what is missing, checks formatting and the committed pictures, then builds and
# runs the whole test suite twice: once in build/ (warnings as errors; this run also builds
# and tests the Debian package) and once in build-asan/ under AddressSanitizer and
# UndefinedBehaviorSanitizer. GUI tests run offscreen (set per test in CTest).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-sources.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

# New build folders build with Ninja; folders that exist keep the generator they were made with.
generator() { [ -f "$1/CMakeCache.txt" ] || echo "-GNinja"; }

cmake $(generator build) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVO_WERROR=ON -DBUILD_TESTING=ON > /dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake $(generator build-asan) -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTALVO_WERROR=ON -DTALVO_SANITIZE=ON -DBUILD_TESTING=ON > /dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"

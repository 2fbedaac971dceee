#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Source checks that need no build: every tracked C++ file is formatted as .clang-format
# says, the committed SVG pictures are exactly what scripts/draw_pictures.py draws, the links
# between the documents lead somewhere (scripts/check_links.py), and
# clang-tidy (.clang-tidy) finds nothing in the program's own code (every library, the
# program and its player; tests and benchmarks are not looked at), from a compile database
# configured (not built) in a temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "Checking the formatting of every tracked .cpp and .h file (clang-format)"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "Checking that resources/pictures holds what scripts/draw_pictures.py draws"
drawn=$(mktemp -d)
trap 'rm -rf "$drawn"' EXIT
python3 scripts/draw_pictures.py --output "$drawn" >/dev/null
if ! diff -r "$drawn" resources/pictures >/dev/null; then
    diff -rq "$drawn" resources/pictures || true
    echo "resources/pictures differs from what scripts/draw_pictures.py draws: run it and commit the result" >&2
    exit 1
fi

echo "Checking that a window reaches another window only to open or close it"
/usr/bin/python3 scripts/check_window_reach.py

echo "Checking the links between the documents"
/usr/bin/python3 scripts/check_links.py

echo "Running clang-tidy over the program's code (.clang-tidy)"
# A compile database of single files (the build's own lists the unity units), with only the
# moc files generated that the sources include.
database="$drawn/database"
cmake -S . -B "$database" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$database" -j"$(nproc)" --target talvo_media_widgets_autogen talvo_video_autogen \
    talvo_windows_autogen talvo_player_autogen >/dev/null
# The compile database holds GCC's own warning options, which clang does not know.
git ls-files -z main.cpp 'model/*.cpp' 'saving/*.cpp' 'media/*.cpp' 'report/*.cpp' 'video/*.cpp' 'teamdb/*.cpp' \
    'pose/*.cpp' 'scoring/*.cpp' 'windows/*.cpp' 'app/*.cpp' 'player/*.cpp' |
    xargs -0 -n 1 -P "$(nproc)" clang-tidy -p "$database" --quiet --extra-arg=-Wno-unknown-warning-option

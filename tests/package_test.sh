#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a build folder, unpacks it with dpkg-deb -x into a temporary
# folder and runs the unpacked program offscreen: it must start, find its help files and its
# media player and its pose models in its own installed folder (not the build folder), and end
# with 0. Then one help folder, the video decoder or a model is taken away and the program must
# name it and end with 1.
# Usage: package_test.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack -G DEB did not build the package"
fi
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb")"

# Dependencies: the libraries dpkg-shlibdeps found, and the run-time packages it cannot see.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6svg6 \
    libqt6multimedia6 libqt6multimediawidgets6 libavcodec59 libavformat59 libswscale6 libqt6sql6-sqlite libqt6sql6-psql libpq5 libssl3 fonts-liberation fonts-comic-neue \
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav; do
    sed 's/, /\n/g' <<<"$depends" | cut -d' ' -f1 | grep -qxF "$package" || fail "Depends lacks $package"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
files=$root/usr/lib/talvo-rula
for path in usr/bin/talvo-rula usr/lib/talvo-rula/mplayer2.exe usr/lib/talvo-rula/talvo-video.so \
    usr/lib/talvo-rula/talvo-pose.so; do
    [ -f "$root/$path" ] || fail "$path is missing"
    [ "${path%.so}" != "$path" ] || [ -x "$root/$path" ] || fail "$path is not executable"
    if ldd "$root/$path" | grep 'not found' >/dev/null; then
        fail "$path needs a library that is not installed: $(ldd "$root/$path" | grep 'not found')"
    fi
done
# The program starts without FFmpeg, whose libraries load over a hundred more, and without
# OpenCV, which loads a dozen: only the video decoder module and the pose module link them.
# (ldd's output is read whole: grep -q leaving early would fail the pipe.)
program_libraries=$(ldd "$root/usr/bin/talvo-rula")
module_libraries=$(ldd "$root/usr/lib/talvo-rula/talvo-video.so")
pose_libraries=$(ldd "$root/usr/lib/talvo-rula/talvo-pose.so")
if grep -q 'libavcodec' <<<"$program_libraries"; then
    fail "usr/bin/talvo-rula links FFmpeg; only talvo-video.so should"
fi
grep -q 'libavcodec' <<<"$module_libraries" || fail "talvo-video.so does not link FFmpeg"
if grep -q 'libopencv' <<<"$program_libraries"; then
    fail "usr/bin/talvo-rula links OpenCV; only talvo-pose.so should"
fi
grep -q 'libopencv_dnn' <<<"$pose_libraries" || fail "talvo-pose.so does not link OpenCV's dnn module"
for path in "usr/lib/talvo-rula/HelpFile/HELPFILE.HLP" "usr/lib/talvo-rula/Helpfile/helpfile.hlp" \
    "usr/lib/talvo-rula/Reduction Measures/HELPFILE.HLP" usr/share/applications/talvo-rula.desktop \
    usr/share/icons/hicolor/scalable/apps/talvo-rula.svg usr/share/metainfo/org.talvo.TalvoRula.metainfo.xml \
    usr/lib/talvo-rula/models/pose_detection.onnx usr/lib/talvo-rula/models/pose_landmark_full.onnx \
    usr/lib/talvo-rula/models/package.json usr/lib/talvo-rula/models/MODELS-LICENCE; do
    [ -f "$root/$path" ] || fail "$path is missing"
done
if find "$root" -name 'tst_*' -o -name 'bench_*' | grep -q .; then
    fail "tests or benchmarks were packaged"
fi

# Started from elsewhere, with no player on the search path: only the installed folder counts.
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work}
cd "$work"
status=0
PATH=/usr/bin:/bin timeout 30 "$root/usr/bin/talvo-rula" --check-installation >"$work/check.txt" 2>"$work/errors.txt" ||
    status=$?
cat "$work/check.txt"
[ "$status" -eq 0 ] || fail "the unpacked program ended with $status: $(cat "$work/errors.txt")"
expected="Program folder: $files
Help file \\HelpFile\\HELPFILE.HLP: $files/HelpFile/HELPFILE.HLP
Help file \\Helpfile\\helpfile.hlp: $files/Helpfile/helpfile.hlp
Help file \\Reduction Measures\\HELPFILE.HLP: $files/Reduction Measures/HELPFILE.HLP
Media player mplayer2.exe: $files/mplayer2.exe
Video decoder: $files/talvo-video.so
Landmark finder: $files/talvo-pose.so
Pose model pose_detection.onnx: $files/models/pose_detection.onnx
Pose model pose_landmark_full.onnx: $files/models/pose_landmark_full.onnx"
[ "$(cat "$work/check.txt")" = "$expected" ] || fail "expected:
$expected"

# Runs the installation check with `$1` (in the installed folder) moved away: the program must
# end with 1 and name `$2` as missing, in a line `grep "${@:3}"` finds.
check_missing() {
    local path=$1 what=$2
    shift 2
    mv "$files/$path" "$work/moved"
    local status=0
    PATH=/usr/bin:/bin timeout 30 "$root/usr/bin/talvo-rula" --check-installation >"$work/check.txt" 2>/dev/null ||
        status=$?
    mv "$work/moved" "$files/$path"
    [ "$status" -eq 1 ] || fail "with $what missing the program ended with $status, not 1"
    grep "$@" "$work/check.txt" || fail "$what was not named as missing: $(cat "$work/check.txt")"
}

# A missing help folder is named, and the program says so by its exit status; so is a missing
# video decoder (the program starts without it).
check_missing "Reduction Measures" "the help folder" -q '^Help file \\Reduction Measures\\HELPFILE.HLP: missing'
check_missing talvo-video.so "the video decoder" -qxF "Video decoder: $files/talvo-video.so (not found)"
check_missing talvo-pose.so "the landmark finder" -qxF "Landmark finder: $files/talvo-pose.so (not found)"
check_missing models/pose_landmark_full.onnx "a pose model" \
    -qxF "Pose model pose_landmark_full.onnx: missing ($files/models/pose_landmark_full.onnx)"
# The models' licence is stated beside them, and the package they come from says it.
grep -q '"license": "Apache-2.0"' "$files/models/package.json" || fail "models/package.json states no Apache-2.0"
grep -q 'Apache-2.0' "$files/models/MODELS-LICENCE" || fail "models/MODELS-LICENCE states no licence"

# A picture of a person: the installed program finds the landmarks with its installed models.
PATH=/usr/bin:/bin timeout 60 "$root/usr/bin/talvo-rula" --landmarks /usr/share/doc/opencv-doc/examples/data/messi5.jpg \
    -o "$work/landmarks.csv" || fail "--landmarks ended with $? on a photograph of a person"
[ "$(wc -l <"$work/landmarks.csv")" -eq 13 ] || fail "--landmarks wrote $(wc -l <"$work/landmarks.csv") lines, not 13"

# Debian's own checker has nothing to say about the package.
# (Its tags go to standard output; it exits with 1 when it has some, 2 when it could not run.)
lintian_status=0
lintian_report=$(lintian --no-cfg "$deb" 2>"$work/lintian.err") || lintian_status=$?
[ "$lintian_status" -le 1 ] || fail "lintian did not run: $(cat "$work/lintian.err")"
[ -z "$lintian_report" ] || fail "lintian reports:
$lintian_report"

# The manual page shows every form --help lists, and the exit statuses.
manual=$(MANWIDTH=250 man -l "$root/usr/share/man/man1/talvo-rula.1.gz" 2>/dev/null | col -b) ||
    fail "the manual page cannot be shown"
forms=$(PATH=/usr/bin:/bin "$root/usr/bin/talvo-rula" --help |
    awk '/^Forms:/ { f = 1; next } /^Examples:/ { f = 0 } f && /^  talvo-rula/ { sub(/^  /, ""); sub(/  +.*$/, ""); print }')
[ "$(wc -l <<<"$forms")" -ge 9 ] || fail "--help lists fewer forms than expected: $forms"
while IFS= read -r form; do
    grep -qxF "       $form" <<<"$manual" || fail "the manual page lacks the form: $form"
done <<<"$forms"
for status in 0 1 2; do
    sed -n '/^EXIT STATUS/,/^EXAMPLES/p' <<<"$manual" | grep -qE "^       $status( |$)" ||
        fail "the manual page does not explain exit status $status"
done
echo "package test passed"

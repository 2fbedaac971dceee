#!/usr/bin/env bash
# Installs every package the program, its tests and its tools need, from Debian 12's
# archive. Does no apt work at all when everything is already there.
set -euo pipefail

packages=(
    cmake g++ make ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-multimedia-dev
    libqt6sql6-sqlite libsqlite3-dev qt6-qpa-plugins libgl-dev
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
    fonts-liberation fonts-comic-neue fontconfig
    xvfb xauth imagemagick sqlite3 python3
    clang-format git dpkg-dev file poppler-utils fonts-dejavu-core fonts-wqy-microhei
    libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
    clang-tidy libqt6sql6-psql postgresql libpq-dev
    lintian qpdf man-db groff-base
    libopencv-core-dev libopencv-imgproc-dev libopencv-dnn-dev python3-onnx python3-numpy
    opencv-doc python3-skimage
)

# The build fetches the pose models with npm. A machine whose Node.js carries its own npm (a
# vendor's nodejs package) must not be given Debian's, which conflicts with it.
if ! command -v npm >/dev/null 2>&1; then
    packages+=(npm)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

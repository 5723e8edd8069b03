#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the main job need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache git patch
    clang libclang-rt-14-dev
    juce-modules-source
    libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev
    libxcursor-dev libxext-dev libxcomposite-dev libxtst-dev libasound2-dev libgl-dev
    libpng-dev libjpeg-dev zlib1g-dev libcurl4-openssl-dev
    libflac-dev libvorbis-dev libogg-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    libsndfile1-dev libexpat1-dev
    xvfb xauth fonts-open-sans fonttools
    python3 util-linux iproute2
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

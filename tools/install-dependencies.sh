#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12, and any further packages named
# as arguments. Safe to run again.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache git
    juce-modules-source juce-tools
    libflac-dev libvorbis-dev libogg-dev libpng-dev libjpeg-dev zlib1g-dev libcurl4-openssl-dev
    libasound2-dev libjack-jackd2-dev libfreetype-dev libfontconfig1-dev
    libx11-dev libxcomposite-dev libxcursor-dev libxext-dev libxinerama-dev libxrandr-dev libxrender-dev
    libgtk-3-dev ladspa-sdk lv2-dev lilv-utils liblilv-dev sordi
    googletest libgtest-dev clang libclang-rt-14-dev
    xvfb xauth fonts-dejavu-core x11-utils xdotool imagemagick
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ "${#missing[@]}" -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

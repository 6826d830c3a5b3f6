#!/usr/bin/env bash
# Installs the build's needs, builds VST3, LV2 and Standalone in Release and installs the plug-ins.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-dependencies.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build/release --target SelvandrineCompressor_All

artefacts="build/release/SelvandrineCompressor_artefacts/Release"
mkdir -p "$HOME/.vst3" "$HOME/.lv2"
rm -rf "$HOME/.vst3/Selvandrine Compressor.vst3" "$HOME/.lv2/Selvandrine Compressor.lv2"
cp -r "$artefacts/VST3/Selvandrine Compressor.vst3" "$HOME/.vst3/"
cp -r "$artefacts/LV2/Selvandrine Compressor.lv2" "$HOME/.lv2/"

echo
echo "VST3:       $HOME/.vst3/Selvandrine Compressor.vst3"
echo "LV2:        $HOME/.lv2/Selvandrine Compressor.lv2"
echo "Standalone: \"$PWD/$artefacts/Standalone/Selvandrine Compressor\""

#!/usr/bin/env bash
# Prints how Ardour describes the LV2 plug-in: its presets and, for each parameter, the name,
# range, default, print format (where the unit shows) and whether Ardour offers it as an
# enumeration or in integer steps. Runs Ardour's headless Lua session tool on the dummy backend,
# with the bundle alone on the LV2 search path beside the system's LV2 vocabularies.
#   tools/check-lv2-in-ardour.sh [BUNDLE]
# Without BUNDLE, the LV2 bundle is built in Release in build/release, as tools/build.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-dependencies.sh ardour

bundle="${1:-}"
if [ -z "$bundle" ]; then
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
    cmake --build build/release --target SelvandrineCompressor_LV2
    bundle="build/release/SelvandrineCompressor_artefacts/Release/LV2/Selvandrine Compressor.lv2"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/lv2"
cp -r "$bundle" "$work/lv2/"
export LV2_PATH="$work/lv2:/usr/lib/lv2"
export PLUGIN_URI="$(LV2_PATH="$work/lv2" lv2ls)"
export SESSION_DIR="$work/session"

# Ardour 7.3's Lua tool crashes now and then on leaving; the script ends with close_session.
cat > "$work/describe.lua" <<'EOF'
AudioEngine:set_backend ("None (Dummy)", "", "")
local session = create_session (os.getenv ("SESSION_DIR"), "describe", 48000)
assert (session, "no session")

local tracks = session:new_audio_track (2, 2, nil, 1, "Track", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local processor = ARDOUR.LuaAPI.new_plugin (session, os.getenv ("PLUGIN_URI"), ARDOUR.PluginType.LV2, "")
assert (not processor:isnil (), "plug-in not found")
tracks:front ():add_processor_by_index (processor, 0, nil, true)

local plugin = processor:to_insert ():plugin (0)
print ("plugin: " .. plugin:name () .. " by " .. plugin:maker ())
for preset in plugin:get_info ():get_presets (false):iter () do
    print (string.format ("preset: %q", preset.label))
end

local automatable = processor:to_automatable ()
for parameter in automatable:all_automatable_params ():iter () do
    local d = automatable:automation_control (parameter, false):desc ()
    print (string.format ("parameter: %-13s %g..%g default %g  format %-10q enumeration %-5s integer %-5s toggled %s",
                          d.label, d.lower, d.upper, d.normal, d.print_fmt,
                          tostring (d.enumeration), tostring (d.integer_step), tostring (d.toggled)))
end

close_session ()
EOF

echo "Ardour $(ardour7-lua --version 2>&1 | head -1 | grep -o '[0-9][0-9.]*' | head -1) on $PLUGIN_URI"
ardour7-lua "$work/describe.lua" 2>&1 | grep -E "^(plugin|preset|parameter|Error)"

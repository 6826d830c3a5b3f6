#!/usr/bin/env bash
# Checks the plug-in in Ardour 7 as VST3 and as LV2, headless on Ardour's dummy backend, which
# plays a 1 kHz sine at -18 dBFS into a mono track that holds the plug-in. Prints the track's
# output level (Ardour's peak meter) before and after each parameter change made through Ardour's
# controls more than a second after the plug-in was added, when the session is saved, and when it
# is reopened. Then removes the plug-in within its first second, 10 times in each of RUNS Ardour
# sessions per format (default 20), and sorts any crash by its backtrace into the plug-in's and
# Ardour's; last, removes it while gdb holds the body of its one-second tick.
#   tools/check-in-ardour.sh [--runs RUNS] [--vst3 BUNDLE] [--lv2 BUNDLE]
# Without a bundle both formats are built in Release in build/release, as tools/build.sh does; with
# one or both, only those are checked. Logs and sessions are kept in build/ardour-check. Ardour runs
# with a HOME of its own there, so that no installed copy of the plug-in stands in for the one
# checked. Exits non-zero when a level is not the expected one, the plug-in crashed or hung, or an
# instance was deleted under its running tick.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-dependencies.sh ardour gdb

runs=20
vst3=""
lv2=""
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --vst3) vst3="$(realpath "$2")"; shift 2 ;;
        --lv2)  lv2="$(realpath "$2")"; shift 2 ;;
        *) echo "usage: $0 [--runs RUNS] [--vst3 BUNDLE] [--lv2 BUNDLE]" >&2; exit 2 ;;
    esac
done

if [ -z "$vst3$lv2" ]; then
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
    cmake --build build/release --target SelvandrineCompressor_VST3 SelvandrineCompressor_LV2 -j 3
    vst3="$PWD/build/release/SelvandrineCompressor_artefacts/Release/VST3/Selvandrine Compressor.vst3"
    lv2="$PWD/build/release/SelvandrineCompressor_artefacts/Release/LV2/Selvandrine Compressor.lv2"
fi

ardour_lua="$(command -v ardour7-lua)"
ardour_lib="$(sed -n 's/^export ARDOUR_DLL_PATH=//p' "$ardour_lua")"
work="$PWD/build/ardour-check"
rm -rf "$work"
mkdir -p "$work/logs" "$work/sessions" "$work/home"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
export XDG_DATA_HOME="$work/home/.local/share" CHECK_LUA_DIR="$PWD/tools/ardour"
export SAVE_Ceiling=-24 SAVE_Threshold=-20 SAVE_Downlift=3 SAVE_Gain=4 SAVE_CurveMode=2

formats=()
declare -A plugin_id
if [ -n "$vst3" ]; then
    mkdir -p "$HOME/.vst3"
    cp -r "$vst3" "$HOME/.vst3/"
    installed="$HOME/.vst3/$(basename "$vst3")"
    # Ardour takes its scan of a VST3 only while the scan is newer than the bundle, to the second.
    find "$installed" -exec touch -d '-1 minute' {} +
    if ! LD_LIBRARY_PATH="$ardour_lib" "$ardour_lib/ardour-vst3-scanner" -f "$installed" > "$work/logs/vst3-scanner.log" 2>&1; then
        cat "$work/logs/vst3-scanner.log"
        echo "Ardour's VST3 scanner refuses $vst3"
        exit 1
    fi
    plugin_id[VST3]="$(sed -n 's/.*Found Plugin: //p' "$work/logs/vst3-scanner.log")"
    echo "VST3: Ardour's scanner passes $installed"
    formats+=(VST3)
fi
if [ -n "$lv2" ]; then
    mkdir -p "$HOME/.lv2"
    cp -r "$lv2" "$HOME/.lv2/"
    export LV2_PATH="$HOME/.lv2:/usr/lib/lv2"
    plugin_id[LV2]="$(LV2_PATH="$HOME/.lv2" lv2ls)"
    # Ardour finds LV2 bundles through lilv, which takes the first of equal URIs on the path.
    binary="$(lv2info "${plugin_id[LV2]}" 2> /dev/null | sed -n 's/^[[:space:]]*Binary:[[:space:]]*//p' | head -n 1)"
    case "$binary" in
        "file://$HOME/.lv2/"*) echo "LV2: ${plugin_id[LV2]} from $binary" ;;
        *) echo "LV2: lilv finds ${plugin_id[LV2]} in ${binary:-no binary}, not in $HOME/.lv2"; exit 1 ;;
    esac
    formats+=(LV2)
fi

# Runs a script of tools/ardour in Ardour's Lua session tool under gdb (with any further gdb
# arguments) on the session sessions/SESSION, with the log in logs/NAME.log, and prints the
# outcome: clean, "plug-in crash", "Ardour crash", hang or failed. A crash is the plug-in's when the
# crashing thread's backtrace passes through the plug-in.
run_ardour()
{
    local name="$1" script="$2" log="$work/logs/$1.log" status=0
    export SESSION_DIR="$work/sessions/$3"
    shift 3
    timeout -k 10 300 gdb -q -batch -ex "set print thread-events off" -ex "handle SIGPIPE nostop noprint pass" "$@" \
        -ex run -ex "bt 40" --args /bin/sh "$ardour_lua" "$CHECK_LUA_DIR/$script" > "$log" 2>&1 || status=$?

    if grep -q "received signal SIG" "$log"; then
        if sed -n '/received signal SIG/,$p' "$log" | grep -E '^#' | grep -qE 'Selvandrine|juce::|CompressorAudioProcessor'; then
            echo "plug-in crash"
        else
            echo "Ardour crash"
        fi
    elif [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        echo "hang"
    elif grep -q "^CLOSED" "$log" && grep -q "exited normally" "$log"; then
        echo "clean"
    else
        echo "failed"
    fi
}

failed=0
declare -A level spread
for format in "${formats[@]}"; do
    export PLUGIN_FORMAT="$format" PLUGIN_ID="${plugin_id[$format]}"
    for script in levels reopen; do
        outcome="$(run_ardour "$script-$format" "$script.lua" "$format")"
        log="$work/logs/$script-$format.log"
        if [ "$outcome" != clean ]; then
            echo "$format $script: $outcome (log: $log)"
            grep -E "^(Error|#)" "$log" | head -20 || true
            failed=1
        fi
        while read -r _ step value range _; do
            level[$format,$step]="$value"
            spread[$format,$step]="$range"
        done < <(grep "^LEVEL " "$log")
    done
done
if [ -n "$vst3" ]; then
    path="$(sed -n 's/^PLUGIN //p' "$work/logs/levels-VST3.log")"
    case "$path" in
        "$HOME/.vst3/"*) ;;
        *) echo "VST3: Ardour loaded the plug-in from ${path:-nowhere}, not from $HOME/.vst3"; failed=1 ;;
    esac
fi

# Step, what it is, and what the level must be: the defaults' level plus DB, lower or other than
# the defaults' level by at least half a decibel, or the level when saved.
steps=(
    "input|input, no plug-in|"
    "defaults|defaults, 2.3-2.7 s after adding|"
    "Gain=6|Gain +6 dB|+6"
    "Gain=6/back|Gain back to 0 dB|+0"
    "Ceiling=-30|Ceiling -30 dB|lower"
    "Ceiling=-30/back|Ceiling back to -18 dB|+0"
    "Threshold=-24|Threshold -24 dB|other"
    "Threshold=-24/back|Threshold back to -12 dB|+0"
    "Downlift=6|Downlift 6 dB|other"
    "Downlift=6/back|Downlift back to 0 dB|+0"
    "CurveMode=0|CurveMode Linear|other"
    "CurveMode=0/back|CurveMode back to Quadratic|+0"
    "CurveMode=2|CurveMode Bezier|other"
    "CurveMode=2/back|CurveMode back to Quadratic|+0"
    "saved|saved: Ceiling $SAVE_Ceiling, Threshold $SAVE_Threshold, Downlift $SAVE_Downlift, Gain $SAVE_Gain, Bezier|"
    "reopened-1|reopened, 0.1-0.5 s after loading|saved"
    "reopened-2|reopened, 0.6-1.0 s after loading|saved"
    "reopened-3|reopened, 1.1-1.5 s after loading|saved"
    "reopened-4|reopened, 1.6-2.0 s after loading|saved"
)

echo
echo "Ardour $("$ardour_lua" --version 2>&1 | grep -o '[0-9][0-9.]*' | head -1), dummy backend: the track's output peak in dBFS (spread of five readings)"
printf "%-62s" "step"
for format in "${formats[@]}"; do printf "%-22s" "$format"; done
echo
for entry in "${steps[@]}"; do
    IFS='|' read -r step title rule <<< "$entry"
    printf "%-62s" "$title"
    for format in "${formats[@]}"; do
        value="${level[$format,$step]:-}"
        if [ -z "$value" ]; then
            printf "%-22s" "missing"
            failed=1
            continue
        fi
        verdict="$(awk -v v="$value" -v d="${level[$format,defaults]:-nan}" -v s="${level[$format,saved]:-nan}" -v rule="$rule" 'BEGIN {
            if (rule == "") { print ""; exit }
            if (rule == "lower") ok = v <= d - 0.5
            else if (rule == "other") ok = v <= d - 0.5 || v >= d + 0.5
            else if (rule == "saved") ok = v >= s - 0.1 && v <= s + 0.1
            else ok = v - d >= rule - 0.1 && v - d <= rule + 0.1
            print ok ? "ok" : "WRONG" }')"
        [ "$verdict" != WRONG ] || failed=1
        printf "%7s (%4s) %-8s" "$value" "${spread[$format,$step]}" "$verdict"
    done
    echo
done

echo
echo "Removing the plug-in within its first second: $runs Ardour sessions per format, 10 removals each"
declare -A outcomes longest
for format in "${formats[@]}"; do
    export PLUGIN_FORMAT="$format" PLUGIN_ID="${plugin_id[$format]}" CYCLES=10
    longest[$format]=0
    for run in $(seq 1 "$runs"); do
        export SEED="$run"
        outcome="$(run_ardour "remove-$format-$run" remove.lua "remove-$format-$run")"
        outcomes[$format,$outcome]=$(( ${outcomes[$format,$outcome]:-0} + 1 ))
        [ "$outcome" = clean ] || echo "  $format run $run: $outcome (log: $work/logs/remove-$format-$run.log)"
        longest[$format]="$(awk -v m="${longest[$format]}" '/^REMOVED/ && $7 > m { m = $7 } END { print m }' "$work/logs/remove-$format-$run.log")"
        rm -rf "$work/sessions/remove-$format-$run"
    done
done
printf "%-40s" "outcome"
for format in "${formats[@]}"; do printf "%8s" "$format"; done
echo
for outcome in clean "plug-in crash" "Ardour crash" hang failed; do
    printf "%-40s" "$outcome"
    for format in "${formats[@]}"; do printf "%8s" "${outcomes[$format,$outcome]:-0}"; done
    echo
done
printf "%-40s" "longest removal (s)"
for format in "${formats[@]}"; do printf "%8s" "${longest[$format]}"; done
echo
for format in "${formats[@]}"; do
    [ "${outcomes[$format,plug-in crash]:-0}${outcomes[$format,hang]:-0}" = 00 ] || failed=1
done

# A removal rarely meets the tick's body, which lasts microseconds; here gdb holds the body 0.4 s
# and Ardour deletes the plug-in 0.15 s into it. The instance must still be whole when the body
# goes on.
echo
echo "Removing the plug-in while gdb holds the body of its one-second tick for 0.4 s, 0.15 s into the hold, 3 times"
for format in "${formats[@]}"; do
    export PLUGIN_FORMAT="$format" PLUGIN_ID="${plugin_id[$format]}" CYCLES=3 DELAY=1.15 HOLD_SECONDS=0.4
    log="$work/logs/held-tick-$format.log"
    outcome="$(run_ardour "held-tick-$format" remove.lua "held-tick-$format" -ex "set non-stop on" -x "$CHECK_LUA_DIR/hold-tick.py")"
    whole="$(grep -c "^TICK released .*: vtable for CompressorAudioProcessor " "$log" || true)"
    printf "%-6s %-14s removals %s, tick went on with the instance whole %s of 3; removals took %s s\n" "$format" "$outcome" \
        "$(grep -c "^REMOVED" "$log" || true)" "$whole" "$(awk '/^REMOVED/ { printf "%s%s", sep, $7; sep = " " }' "$log")"
    [ "$outcome" = clean ] && [ "$whole" -eq 3 ] || failed=1
done
unset DELAY

echo
[ "$failed" -eq 0 ] && echo "All checks passed." || echo "Some checks FAILED (logs in $work/logs)."
exit "$failed"

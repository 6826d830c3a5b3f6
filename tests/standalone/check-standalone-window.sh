#!/usr/bin/env bash
# Starts the built standalone application on the current X display, finds its window, checks its
# name, its size and what it shows in a screenshot, closes it with its own close button and checks
# that it quits cleanly, having saved its state. Every wait is bounded.
# Usage: check-standalone-window.sh <application> <website it was built with> <folder for the screenshot>
# Needs: xdotool, x11-utils (xwininfo), imagemagick (import, identify).
set -euo pipefail

app="$1"
website="$2"
output="$3"

fail()
{
    echo "FAILED: $*" >&2
    exit 1
}

# The editor asks the maker's address for the newest version as it opens; only a loopback address
# where nothing listens answers at once without leaving this machine.
if [[ ! "$website" =~ ^https?://(127\.[0-9.]+|localhost)(:([0-9]+))?(/.*)?$ ]]; then
    echo "SKIPPED: the editor would ask $website for its version; configure with -DSELVANDRINE_WEBSITE=https://127.0.0.1:9"
    exit 77
fi
host="${BASH_REMATCH[1]}"
port="${BASH_REMATCH[3]}"
if [ -z "$port" ]; then
    port=80
    [[ "$website" != https* ]] || port=443
fi
if (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; then
    fail "something listens on $website; the version request could wait for it"
fi

[ -n "${DISPLAY:-}" ] || fail "no X display (run under xvfb-run)"
[ -x "$app" ] || fail "no application at $app"

# A fresh home: no saved window place, state or audio setup from an earlier run, and the
# settings file this run leaves is the one checked below. X keeps the user's authority file.
export XAUTHORITY="${XAUTHORITY:-$HOME/.Xauthority}"
home="$(mktemp -d)"
export HOME="$home"
export no_proxy="127.0.0.1,localhost"
mkdir -p "$output"
screenshot="$output/standalone-window.png"
log="$output/standalone-output.txt"

pid=""
cleanup()
{
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$home"
}
trap cleanup EXIT

"$app" >"$log" 2>&1 &
pid=$!

# The window: the one the process maps. There is no sound card here, and the application must
# come up without an audio device all the same.
window=""
for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || fail "the application quit before showing a window: $(cat "$log")"
    window="$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)"
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "no window within 30 s"

name="$(xdotool getwindowname "$window")"
[ "$name" = "Selvandrine Compressor" ] || fail "the window is called '$name'"

# JUCE's standalone window around the 800 x 520 editor: a 1 px frame, a 26 px title bar, and the
# 30 px notice that the input is muted (the compressor has inputs and outputs, so its input would
# feed back) above the editor.
frame=1 title=26 notice=30
width="$(xwininfo -id "$window" | awk '/^ *Width:/ { print $2 }')"
height="$(xwininfo -id "$window" | awk '/^ *Height:/ { print $2 }')"
[ "$width" -eq $((frame + 800 + frame)) ] || fail "the window is $width px wide"
[ "$height" -eq $((frame + title + notice + 520 + frame)) ] || fail "the window is $height px high"
editorX=$frame
editorY=$((frame + title + notice))

pixel()
{
    identify -format "%[hex:p{$((editorX + $1)),$((editorY + $2))}]" "$screenshot"
}

# Background outside every panel and control, in the editor's coordinates; it shows once the
# editor has painted.
for _ in $(seq 100); do
    import -window "$window" "$screenshot"
    [ "$(pixel 5 5)" = "4682B4" ] && break
    sleep 0.1
done

for point in "5 5" "795 300"; do
    read -r x y <<<"$point"
    colour="$(pixel "$x" "$y")"
    [ "$colour" = "4682B4" ] || fail "the editor's background at ($x, $y) is #$colour, not steel blue (screenshot: $screenshot)"
done

# The black value arcs of Ceiling and Threshold (at their tops) and of Gain (upper left); Downlift,
# at its minimum, has none there.
for point in "140 359" "280 359" "607 372"; do
    read -r x y <<<"$point"
    colour="$(pixel "$x" "$y")"
    [ "$colour" = "000000" ] || fail "no knob's value arc at ($x, $y): #$colour (screenshot: $screenshot)"
done
[ "$(pixel 387 372)" != "000000" ] || fail "Downlift shows a value arc (screenshot: $screenshot)"

# Closed as a person closes it: a click on the title bar's close button, the rightmost 31 px.
xdotool mousemove --window "$window" $((width - frame - 15)) $((frame + title / 2)) click 1

for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "still running 20 s after its close button was clicked"
fi

status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "exited with status $status: $(cat "$log")"

# Its own close path saves the plug-in's state on the way out.
settings="$HOME/.config/Selvandrine Compressor.settings"
[ -f "$settings" ] || fail "no settings file after closing"
grep -q 'name="filterState" val="[^"]' "$settings" || fail "the state was not saved on closing: $(cat "$settings")"

echo "window $name, ${width} x ${height}, painted and closed cleanly; screenshot: $screenshot"

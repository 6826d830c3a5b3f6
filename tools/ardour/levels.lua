-- Adds the plug-in to a track fed a steady sine, lets more than a second pass, then changes each
-- parameter through Ardour's controls and prints the track's output level after each change and
-- after its undoing. Ends by setting SAVE_<parameter> and saving the session (reopen.lua plays it).
local check = dofile (os.getenv ("CHECK_LUA_DIR") .. "/common.lua")

check.start_engine ()
local session = assert (create_session (os.getenv ("SESSION_DIR"), "check", 48000), "no session")
local track = check.new_track (session)
check.roll (session)
check.say ("LEVEL input %.2f %.2f 0", check.level (track))

local processor = check.new_plugin (session)
track:add_processor_by_index (processor, 0, nil, true)
local added = check.seconds ()
-- Where Ardour loaded the VST3 version from; the LV2 version has no path here.
check.say ("PLUGIN %s", processor:to_insert ():plugin (0):get_info ().path)
local controls = check.controls (processor)

local function report (step)
    local level, spread = check.level (track)
    check.say ("LEVEL %s %.2f %.2f %.1f", step, level, spread, check.seconds () - added)
end

check.sleep (1.0)
report ("defaults")

local changes = { { "Gain", 6, 0 }, { "Ceiling", -30, -18 }, { "Threshold", -24, -12 }, { "Downlift", 6, 0 },
                  { "CurveMode", 0, 1 }, { "CurveMode", 2, 1 } }
for _, change in ipairs (changes) do
    local name, value, default = table.unpack (change)
    check.set (controls, name, value)
    report (string.format ("%s=%g", name, value))
    check.set (controls, name, default)
    report (string.format ("%s=%g/back", name, value))
end

for _, name in ipairs ({ "Ceiling", "Threshold", "Downlift", "Gain", "CurveMode" }) do
    check.set (controls, name, assert (tonumber (os.getenv ("SAVE_" .. name)), "no SAVE_" .. name))
end
report ("saved")
session:save_state ("", false, false, false, false, false)
close_session ()
check.say ("CLOSED")

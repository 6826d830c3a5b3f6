-- Adds the plug-in to a track and removes it again within its first second, CYCLES times. Every
-- other removal falls within 50 ms of the one-second tick, the rest anywhere before it; with DELAY,
-- each falls DELAY seconds after the plug-in's making. Dropping the last reference deletes the
-- plug-in here, on this script's thread, not on JUCE's.
local check = dofile (os.getenv ("CHECK_LUA_DIR") .. "/common.lua")

check.start_engine ()
local session = assert (create_session (os.getenv ("SESSION_DIR"), "check", 48000), "no session")
local track = check.new_track (session)
check.roll (session)

math.randomseed (tonumber (os.getenv ("SEED") or "1"))
for cycle = 1, tonumber (os.getenv ("CYCLES") or "10") do
    local delay = tonumber (os.getenv ("DELAY") or "")
                  or (cycle % 2 == 0 and 0.95 + 0.1 * math.random () or 0.95 * math.random ())
    local created = check.seconds ()
    local processor = check.new_plugin (session)
    track:add_processor_by_index (processor, 0, nil, true)
    check.sleep (math.max (0, delay - (check.seconds () - created)))
    local removing = check.seconds ()
    track:remove_processor (processor, nil, true)
    processor = nil
    collectgarbage ()
    check.say ("REMOVED %d at %.3f s, took %.3f s", cycle, removing - created, check.seconds () - removing)
end
close_session ()
check.say ("CLOSED")

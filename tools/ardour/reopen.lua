-- Reopens the session that levels.lua saved and prints the track's output level as it plays,
-- from the first half second on.
local check = dofile (os.getenv ("CHECK_LUA_DIR") .. "/common.lua")

check.start_engine ()
local session = assert (load_session (os.getenv ("SESSION_DIR"), "check"), "no session")
local opened = check.seconds ()
local track = check.track (session)
check.roll (session)
for i = 1, 4 do
    local level, spread = check.level (track, 0)
    check.say ("LEVEL reopened-%d %.2f %.2f %.1f", i, level, spread, check.seconds () - opened)
end
close_session ()
check.say ("CLOSED")

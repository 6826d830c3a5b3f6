-- Shared by the Ardour checks: the engine's test signal, the plug-in, its controls and the level.
local check = {}

check.format = os.getenv ("PLUGIN_FORMAT")

-- Plain ranges; Ardour offers the VST3 version's parameters normalised to 0..1.
local ranges = { Ceiling = { -33, 0 }, Threshold = { -36, -3 }, Downlift = { 0, 6 }, Gain = { -12, 12 },
                 CurveMode = { 0, 2 }, BackColor = { 0, 5 } }

function check.say (...)
    print (string.format (...))
    io.stdout:flush ()
end

-- The dummy backend plays a steady 1 kHz sine at -18 dBFS into its first capture port.
function check.start_engine ()
    AudioEngine:set_backend ("None (Dummy)", "", "")
    AudioEngine:set_device_name ("Sine Wave 1K, 1/3 Oct")
end

function check.seconds ()
    return ARDOUR.LuaAPI.monotonic_time () / 1e6
end

function check.sleep (seconds)
    ARDOUR.LuaAPI.usleep (math.floor (seconds * 1e6))
end

-- PLUGIN_ID: the VST3 version's name or the LV2 version's URI.
function check.new_plugin (session)
    local type = check.format == "VST3" and ARDOUR.PluginType.VST3 or ARDOUR.PluginType.LV2
    local processor = ARDOUR.LuaAPI.new_plugin (session, os.getenv ("PLUGIN_ID"), type, "")
    assert (not processor:isnil (), "plug-in not found")
    return processor
end

-- The track is looked up by name: the list that new_audio_track returns holds it only as long as
-- Lua keeps the list.
function check.track (session)
    local route = session:route_by_name ("Track")
    assert (not route:isnil (), "no track")
    return route:to_track ()
end

-- A track with one input, the sine, that it plays whether the transport rolls or not.
function check.new_track (session)
    session:new_audio_track (1, 2, nil, 1, "Track", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
    local track = check.track (session)
    track:monitoring_control ():set_value (ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
    return track
end

function check.roll (session)
    session:request_roll (ARDOUR.TransportRequestSource.TRS_UI)
    for i = 1, 50 do
        if session:transport_rolling () then return end
        check.sleep (0.02)
    end
    error ("the transport does not roll")
end

-- The plug-in's controls by name, as Ardour offers them.
function check.controls (processor)
    local automatable = processor:to_automatable ()
    local controls = {}
    for parameter in automatable:all_automatable_params ():iter () do
        local control = automatable:automation_control (parameter, false)
        controls[control:desc ().label] = control
    end
    return controls
end

-- Sets a control in the plug-in's own units (decibels, choice index) through Ardour.
function check.set (controls, name, value)
    local control = assert (controls[name], "no control " .. name)
    if check.format == "VST3" then
        local range = ranges[name]
        value = (value - range[1]) / (range[2] - range[1])
    end
    control:set_value (value, PBD.GroupControlDisposition.NoGroup)
end

-- The first output channel's peak level in dBFS after `settle` seconds (Ardour's peak meter falls
-- by 13.3 dB a second), and how far five readings a tenth of a second apart spread.
function check.level (track, settle)
    check.sleep (settle or 1.2)
    local meter = track:peak_meter ()
    local lowest, highest = math.huge, -math.huge
    for i = 1, 5 do
        check.sleep (0.1)
        local level = meter:meter_level (0, ARDOUR.MeterType.MeterPeak)
        lowest = math.min (lowest, level)
        highest = math.max (highest, level)
    end
    return highest, highest - lowest
end

return check

-- Ardour's session tool sets a session up for the plug-in; ardour7-export renders it. (An export
-- from this tool, Ardour 7.3's SimpleExport, corrupts the heap when the session closes in about
-- half of the runs, whatever the plug-ins; the export tool does not.)
--
--   ardour7-lua session.lua make DIR NAME TYPE PLUGIN FRAMES FACTOR
--     makes session NAME in DIR with one stereo track, the test signal and then the plug-in
--     (TYPE LV2, LXVST or VST3; PLUGIN its name or URI), a range marker over the first FRAMES
--     samples, which the test turns into the session range, sets FACTOR and saves.
--   ardour7-lua session.lua set DIR NAME FACTOR
--     loads the session, prints the factor the plug-in was restored to, sets FACTOR and saves.
--   ardour7-lua session.lua set DIR NAME
--     only prints the restored factor.
--
-- Lines the test reads start with "velvetine:". Any failure raises an error, which the tool
-- reports with a non-zero exit status.

local TRACK = "Velvetine"

local function report (...)
	print ("velvetine: " .. table.concat ({...}, " "))
end

-- The plug-in's one control: its port, its descriptor and the insert it lives in.
local function control_of (processor)
	local plugin = processor:to_insert ():plugin (0)
	local port, ok = plugin:nth_parameter (0, true)
	assert (ok, "the plug-in has no control")
	local _, refs = plugin:get_parameter_descriptor (port, ARDOUR.ParameterDescriptor ())
	return plugin, port, refs[2]
end

-- A factor's value: the one the plug-in labels "<factor>x" where it labels its values, else
-- the factors' five steps spread evenly over the control's range.
local function value_of_factor (descriptor, factor)
	local points = ARDOUR.LuaAPI.desc_scale_points (descriptor)
	if next (points) ~= nil then
		return assert (points[factor .. "x"], "no value is labelled " .. factor .. "x")
	end
	local step = math.floor (math.log (factor, 2) + 0.5) - 1
	return descriptor.lower + (descriptor.upper - descriptor.lower) * step / 4
end

local function factor_of_value (descriptor, value)
	local points = ARDOUR.LuaAPI.desc_scale_points (descriptor)
	for label, v in pairs (points) do
		if v == value then return label end
	end
	local step = math.floor (4 * (value - descriptor.lower) / (descriptor.upper - descriptor.lower) + 0.5)
	return (2 << step) .. "x"
end

local function describe (processor)
	local plugin, port, descriptor = control_of (processor)
	local info = plugin:get_info ()
	report ("plugin", info.name, "|", info.creator, "|", info.n_inputs:n_audio (), info.n_outputs:n_audio ())
	report ("latency", processor:signal_latency ())
	report ("control", plugin:parameter_label (port), "|", descriptor.lower, descriptor.upper)
	local labels = {}
	for label, value in pairs (ARDOUR.LuaAPI.desc_scale_points (descriptor)) do
		labels[#labels + 1] = label .. "=" .. value
	end
	table.sort (labels)
	report ("labels", table.concat (labels, " "))
end

local function the_plugin ()
	local track = assert (Session:route_by_name (TRACK), "no track " .. TRACK)
	local processor = track:nth_plugin (1)
	assert (not processor:isnil (), "the track has no second plug-in")
	return processor
end

-- A VST3 processor learns of a change only in its next process call, and its state is what
-- Ardour saves: the change must have been processed before the session is saved.
local function set_factor (processor, factor)
	local _, _, descriptor = control_of (processor)
	assert (ARDOUR.LuaAPI.set_processor_param (processor, 0, value_of_factor (descriptor, factor)),
		"the plug-in refuses the value of " .. factor .. "x")
	assert (ARDOUR.LuaAPI.wait_for_process_callback (4, 5000), "the engine does not process")
end

local function save ()
	assert (Session:save_state ("", false, false, false, false, false) == 0, "the session was not saved")
end

local function make (dir, name, kind, plugin_name, frames, factor)
	assert (create_session (dir, name, 48000), "no session")
	local track = Session:new_audio_track (2, 2, nil, 1, TRACK, ARDOUR.PresentationInfo.max_order,
		ARDOUR.TrackMode.Normal, true):front ()
	local signal = ARDOUR.LuaAPI.new_luaproc (Session, "Velvetine Test Signal")
	assert (not signal:isnil (), "the test signal's script is missing")
	track:add_processor_by_index (signal, 0, nil, true)
	local processor = ARDOUR.LuaAPI.new_plugin (Session, plugin_name, ARDOUR.PluginType[kind], "")
	assert (not processor:isnil (), "Ardour does not know the " .. kind .. " plug-in " .. plugin_name)
	assert (track:add_processor_by_index (processor, 1, nil, true) == 0, "the plug-in was not added")
	describe (processor)
	Session:locations ():add_range (Temporal.timepos_t (0), Temporal.timepos_t (frames))
	set_factor (processor, factor)
	save ()
	close_session ()
end

local function set (dir, name, factor)
	assert (load_session (dir, name), "the session does not load")
	local processor = the_plugin ()
	local _, _, descriptor = control_of (processor)
	report ("restored", factor_of_value (descriptor, ARDOUR.LuaAPI.get_processor_param (processor, 0, true)))
	if factor then
		set_factor (processor, factor)
		save ()
	end
	close_session ()
end

local mode = arg[1]
if mode == "make" then
	make (arg[2], arg[3], arg[4], arg[5], tonumber (arg[6]), tonumber (arg[7]))
elseif mode == "set" then
	set (arg[2], arg[3], tonumber (arg[4]))
else
	error ("usage: session.lua make|set ...")
end

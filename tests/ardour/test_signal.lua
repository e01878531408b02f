ardour {
	["type"]    = "dsp",
	name        = "Velvetine Test Signal",
	category    = "Utility",
	license     = "MIT",
	author      = "QM Velvetine tests",
	description = [[The test's stereo signal, a function of the session position, so that an export
replays it exactly: silence, a left impulse and a smaller right one three samples later, then
uniform noise of integer hashes (exact in single precision), then silence for the filter's tail.
ardour_test.py computes the same samples.]]
}

-- Read by ardour_test.py: keep one constant a line.
local LEAD = 4096      -- silence first: the export has the signal a few hundred samples late
local NOISE_AT = 4160
local NOISE_FRAMES = 12000
local LENGTH = 17184

function dsp_ioconfig ()
	return { { audio_in = 2, audio_out = 2 } }
end

local function noise (n, channel)
	local h = ((n * 2 + channel) * 0x9E3779B1) & 0xFFFFFFFF
	h = h ~ (h >> 15)
	h = (h * 0x85EBCA77) & 0xFFFFFFFF
	h = h ~ (h >> 13)
	return ((h & 0xFFFFFF) - 0x800000) / 0x1000000
end

local function sample (n, channel)
	if n == LEAD and channel == 1 then return 1.0 end
	if n == LEAD + 3 and channel == 2 then return -0.5 end
	if n >= NOISE_AT and n < NOISE_AT + NOISE_FRAMES then return noise (n, channel) end
	return 0.0
end

function dsp_run (ins, outs, n_samples)
	local position = Session:transport_sample ()
	local rolling = Session:transport_rolling ()
	for channel = 1, 2 do
		local out = outs[channel]:array ()
		for i = 1, n_samples do
			out[i] = rolling and sample (position + i - 1, channel) or 0.0
		end
	end
end

-- SPDX-License-Identifier: MIT
-- mpv script: seeks the way a viewer does (ahead, back, ahead again), prints where each seek
-- landed beside its target, and quits once the last seek has played on. A restart that no seek
-- of this script asked for (the first start) only begins the series.
local targets = {20, 5, 27, 12, 2}
local next_target = 1
local pending = nil

local function seek_next()
  if next_target > #targets then
    mp.command("quit 0")
    return
  end
  pending = targets[next_target]
  next_target = next_target + 1
  mp.commandv("seek", tostring(pending), "absolute", "exact")
end

mp.register_event("playback-restart", function()
  if pending ~= nil then
    mp.msg.warn(string.format("landed at %.2f for %d", mp.get_property_number("time-pos", -1), pending))
    pending = nil
    seek_next()
  elseif next_target == 1 then
    seek_next()
  end
end)

-- SPDX-License-Identifier: MIT
-- mpv script: seeks the way a viewer does (ahead, back, ahead again), prints where each seek
-- landed, and quits once the last seek has played on.
local targets = {20, 5, 27, 12, 2}
local next_target = 1
local restarts = 0

mp.register_event("playback-restart", function()
  restarts = restarts + 1
  if restarts > 1 then
    mp.msg.warn(string.format("landed at %.2f", mp.get_property_number("time-pos", -1)))
  end
  if next_target > #targets then
    mp.command("quit 0")
    return
  end
  mp.commandv("seek", tostring(targets[next_target]), "absolute", "exact")
  next_target = next_target + 1
end)

-- Soak: many GetInfo calls on a plain C fixture plugin (which keeps nothing
-- per load) and on this plugin's own module. Each call must start the
-- fixture once and release it once (its first load is kept while the other
-- four texts are read from that image), and after a warm-up the process's
-- memory must stay within SLACK_KIB. (This plugin's own module stays loaded
-- in the process, so only its memory is measured.)
--   mdhost run ModuleDetails.lmd soak.lua PLUGIN FIXTURE COUNTER_MODULE [COUNT] [SLACK_KIB]
local plugin, fixture, counter = arg[1], arg[2], arg[3]
local count, slack = tonumber(arg[4] or 100000), tonumber(arg[5] or 256) * 1024
local counts = assert(package.loadlib(counter, "fixture_counts"))

local function figures() collectgarbage("collect"); return Host.ProcessStats() end
local function run(path, label, texts_per_call)
  for i = 1, 500 do ModuleDetails.GetInfo(path) end  -- settle caches before the first figure
  counts()
  local memory0, handles0 = figures()
  for i = 1, count do
    if ModuleDetails.GetInfo(path) == nil then error(label .. ": GetInfo gave nil at call " .. i) end
  end
  local memory1, handles1 = figures()
  local loads, releases = counts()
  print(string.format("%-8s %7d calls  memory %9.0f -> %9.0f KiB  handles %4d -> %4d  loads %d, releases %d",
    label, count, memory0 / 1024, memory1 / 1024, handles0, handles1, loads, releases))
  local counted = loads == releases and loads == texts_per_call * count
  if not counted then
    print(string.format("%s: expected %d loads and as many releases", label, texts_per_call * count))
  end
  return counted and handles1 <= handles0 and memory1 - memory0 <= slack
end

local fixture_flat = run(fixture, "fixture", 1)
local self_flat = run(plugin, "self", 0)
local ok = fixture_flat and self_flat
print(ok and "soak: flat" or "soak: NOT flat")
if not ok then error("soak failed", 0) end

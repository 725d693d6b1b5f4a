-- Soak: many GetInfo calls on a fixture plugin and on this plugin's own
-- module; memory and handle counts must stay flat and every load be released.
--   mdhost run ModuleDetails.lmd soak.lua PLUGIN FIXTURE COUNTER_MODULE [COUNT]
local plugin, fixture, counter, count = arg[1], arg[2], arg[3], tonumber(arg[4] or 100000)
local counts = assert(package.loadlib(counter, "fixture_counts"))
counts()

local function figures() collectgarbage("collect"); return Host.ProcessStats() end
local function run(path, label)
  for i = 1, 200 do ModuleDetails.GetInfo(path) end  -- settle caches before the first figure
  local memory0, handles0 = figures()
  for i = 1, count do
    if ModuleDetails.GetInfo(path) == nil then error(label .. ": GetInfo gave nil at call " .. i) end
  end
  local memory1, handles1 = figures()
  print(string.format("%-8s %7d calls  memory %9.0f -> %9.0f KiB  handles %4d -> %4d",
    label, count, memory0 / 1024, memory1 / 1024, handles0, handles1))
  return memory1 - memory0, handles1 - handles0
end

local grow_f, handles_f = run(fixture, "fixture")
local loads, releases = counts()
print(string.format("fixture loads %d, releases %d", loads, releases))
local grow_s, handles_s = run(plugin, "self")
local ok = loads == releases and handles_f <= 0 and handles_s <= 0
  and grow_f < 1024 * 1024 and grow_s < 1024 * 1024
print(ok and "soak: flat" or "soak: NOT flat")
if not ok then error("soak failed", 0) end

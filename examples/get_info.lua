-- Prints what ModuleDetails.GetInfo reads from each plugin named on the
-- command line, then shows what a script error looks like.
--   mdhost run ModuleDetails.lmd get_info.lua PLUGIN [PLUGIN...]
for i = 1, #arg do
  local info = ModuleDetails.GetInfo(arg[i])
  print("ModuleDetails.GetInfo(" .. string.format("%q", arg[i]) .. ")")
  if info == nil then
    print("  nil: no plugin there")
  else
    for _, key in ipairs({ "Name", "Version", "LuaVersion", "AuthorInfo", "ActionXML" }) do
      local value = info[key]
      if #value > 70 then value = value:sub(1, 70):gsub("[\r\n]+", " ") .. "... (" .. #value .. " bytes)" end
      print(string.format("  %-10s = %s", key, (value:gsub("\r\n", "\r\n               "))))
    end
  end
  print()
end

print("A script error, caught: ModuleDetails.GetName() with no argument raises")
local ok, message = pcall(ModuleDetails.GetName)
print("  " .. tostring(message))
print("and uncaught: ModuleDetails.GetName(true), whose argument is no string, stops the script:")
ModuleDetails.GetName(true)

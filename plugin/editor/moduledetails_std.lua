-- ModuleDetails 1.1
-- The tables this plugin gives scripts, as a luacheck standard (mdhost doc --format luacheck).
-- In .luacheckrc, beside this file:
--   stds.moduledetails = dofile("moduledetails_std.lua")
--   std = "lua51+moduledetails"
return {
  read_globals = {
    ModuleDetails = {
      fields = {
        GetName = {},
        GetXML = {},
        GetLuaVersion = {},
        GetAuthorInfo = {},
        GetVersion = {},
        GetInfo = {},
      },
    },
  },
}

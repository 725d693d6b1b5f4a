-- Run with --with: both plugins' actions are registered in one Lua state, as
-- the host registers every plugin of a project.
assert(type(ModuleDetails) == "table" and type(ModuleDetails.GetName) == "function", "ModuleDetails missing")
assert(type(Fixture) == "table" and type(Fixture.Echo) == "function", "the other plugin's table is missing")
print("two plugins registered; _SourceFolder " .. tostring(_SourceFolder ~= nil))

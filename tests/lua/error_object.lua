-- Raises an error object that is not a string, for the stand-in host's report:
--   mdhost run PLUGIN error_object.lua table|tostring
if arg[1] == "table" then error({}) end
error(setmetatable({}, { __tostring = function() return "an object that describes itself" end }))

---@meta
-- ModuleDetails 1.1
-- The actions this plugin gives scripts, for the Lua language server (mdhost doc --format
-- luals): put this file in a folder of the server's workspace.library.

---@class ModuleDetails
ModuleDetails = {}

--- Get's the name from a plugin
---@param Filename string The plugin filename
---@return string
function ModuleDetails.GetName(Filename) end

--- Get's the XML from a plugin
---@param Filename string The plugin filename
---@return string
function ModuleDetails.GetXML(Filename) end

--- Get's the lualibrary's version from a plugin
---@param Filename string The plugin filename
---@return string
function ModuleDetails.GetLuaVersion(Filename) end

--- Get's the author information from a plugin
---@param Filename string The plugin filename
---@return string
function ModuleDetails.GetAuthorInfo(Filename) end

--- Get's the plugin's version from a plugin
---@param Filename string The plugin filename
---@return string
function ModuleDetails.GetVersion(Filename) end

--- Get's all information from a plugin
---@param Filename string The plugin filename
---@return table # The table will contain the next values tReturn = {     Name = "Plugin Name",     Version = "Plugin Version",     LuaVersion = "Plugin's luaversion",     AuthorInfo = "Plugin's author information",     ActionXML = "Plugin's XML data" };
function ModuleDetails.GetInfo(Filename) end

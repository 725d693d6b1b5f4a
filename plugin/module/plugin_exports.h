// Every function the module exports, as the host and the tests see them.
// All are cdecl; the names are undecorated through the module definition.
#pragma once

#include <cstdint>

struct lua_State;

#define MD_EXPORT extern "C"

// Text getters and the interface generation.
MD_EXPORT int32_t irPlg_GetPluginName(char* buffer, int32_t* size);
MD_EXPORT int32_t irPlg_GetPluginVersion(char* buffer, int32_t* size);
MD_EXPORT int32_t irPlg_GetLuaVersion(char* buffer, int32_t* size);
MD_EXPORT int32_t irPlg_GetAuthorInfo(char* buffer, int32_t* size);
MD_EXPORT int32_t irPlg_GetPluginActionXML(char* buffer, int32_t* size);
MD_EXPORT int32_t irPlg_GetSDKVersion();

// Help display.
MD_EXPORT int32_t irPlg_ShowHelpForAction(char* action, char* folder, void* parent);
MD_EXPORT int32_t irPlg_ShowHelpForPlugin(char* folder, void* parent);

// Script actions.
MD_EXPORT int32_t irPlg_Action_RegisterActions(lua_State* L);
MD_EXPORT int GetPluginName(lua_State* L);
MD_EXPORT int GetPluginActionXML(lua_State* L);
MD_EXPORT int GetPluginLuaVersion(lua_State* L);
MD_EXPORT int GetPluginAuthorInfo(lua_State* L);
MD_EXPORT int GetPluginVersion(lua_State* L);
MD_EXPORT int GetModuleDetails(lua_State* L);

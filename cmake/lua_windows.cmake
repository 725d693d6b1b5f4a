# Lua 5.1.5 built from its source as lua5.1.dll (with its import library),
# the library module the host's process offers to plugins.
set(LUA_SOURCE_DIR "/var/cache/moduledetails/lua-5.1.5" CACHE PATH "Lua 5.1.5 source tree")
if(NOT EXISTS "${LUA_SOURCE_DIR}/src/lua.h")
  message(FATAL_ERROR "Lua source not found in ${LUA_SOURCE_DIR}: run tools/setup.sh")
endif()
file(GLOB lua_sources "${LUA_SOURCE_DIR}/src/*.c")
list(FILTER lua_sources EXCLUDE REGEX "/(lua|luac|print)\\.c$")
add_library(lua51 SHARED ${lua_sources})
set_target_properties(lua51 PROPERTIES OUTPUT_NAME "lua5.1" PREFIX "" C_STANDARD 99)
target_compile_definitions(lua51 PRIVATE LUA_BUILD_AS_DLL)
target_include_directories(lua51 PUBLIC "${LUA_SOURCE_DIR}/src")
target_link_options(lua51 PRIVATE -static-libgcc)
md_keep_debug_info(lua51)

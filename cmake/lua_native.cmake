# Debian's Lua 5.1 (the C build, whose errors are longjmps as on Windows).
find_path(LUA51_INCLUDE_DIR lua.h PATH_SUFFIXES lua5.1 REQUIRED)
find_library(LUA51_LIBRARY NAMES lua5.1 REQUIRED)
add_library(lua51 INTERFACE)
target_include_directories(lua51 INTERFACE "${LUA51_INCLUDE_DIR}")
target_link_libraries(lua51 INTERFACE "${LUA51_LIBRARY}")

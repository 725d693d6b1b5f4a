// Lua 5.1's core API. Its headers carry no C++ linkage guard of their own.
#pragma once

extern "C" {
#include <lua.h>
}

#include "mdhost/commands/new_project.h"

#include "mdhost/commands/rule_config.h"
#include "mdhost/contract/lua_names.h"

namespace host {
namespace {

const char kActionDocument[] = R"(<ActionTemplates>
	<Action>
		<Name>@NAME@.Hello</Name>
		<Description>Greets someone by name.</Description>
		<ReturnValueType>string</ReturnValueType>
		<Arguments>
			<Arg>
				<Name>Name</Name>
				<Description>Who to greet.</Description>
				<Type>string</Type>
				<Default>"World"</Default>
				<Required>1</Required>
				<EasyMode>
					<DataType>string</DataType>
				</EasyMode>
			</Arg>
		</Arguments>
	</Action>
	<Extended>
		<Action>
			<Name>@NAME@.Hello</Name>
			<ReturnValueDescription>"Hello, " followed by the name and "!".</ReturnValueDescription>
			<Example>local greeting = @NAME@.Hello("World")</Example>
		</Action>
	</Extended>
</ActionTemplates>
)";

const char kCMakeLists[] = R"(# @NAME@: an action plugin for Autoplay Media Studio 8 (a 32-bit Windows DLL
# named @NAME@.lmd). Built with the i686 MinGW-w64 toolchain:
#   cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DLUA51_DIR=FOLDER
#   cmake --build build
# FOLDER holds lua.h, lauxlib.h, lualib.h, luaconf.h and the host's lua5.1.dll.
cmake_minimum_required(VERSION 3.18)
# The plugin's version is said here alone: the build gives it to the version
# getter and the version resource (plugin_version.h).
project(@NAME@ VERSION 1.0 LANGUAGES @LANGUAGE@ RC)

set(LUA51_DIR "" CACHE PATH "folder with lua.h, lauxlib.h, lualib.h, luaconf.h and lua5.1.dll")
foreach(file lua.h lauxlib.h lualib.h luaconf.h lua5.1.dll)
  if(NOT EXISTS "${LUA51_DIR}/${file}")
    message(FATAL_ERROR "LUA51_DIR (${LUA51_DIR}) lacks ${file}")
  endif()
endforeach()

# The action document goes into the module as a C text, byte for byte.
file(READ "${CMAKE_CURRENT_SOURCE_DIR}/actions.xml" xml)
string(REPLACE "\\" "\\\\" xml "${xml}")
string(REPLACE "\"" "\\\"" xml "${xml}")
string(REPLACE "\r" "\\r" xml "${xml}")
string(REPLACE "\n" "\\n\"\n\"" xml "${xml}")
file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/actions_xml.h" "static const char kActionXml[] =\n\"${xml}\";\n")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS actions.xml)

# The version as a text ("1.0") and as the resource's four numbers (1,0,0,0).
set(numbers)
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    list(APPEND numbers 0)
  else()
    list(APPEND numbers ${PROJECT_VERSION_${part}})
  endif()
endforeach()
string(REPLACE ";" "," numbers "${numbers}")
file(CONFIGURE OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/plugin_version.h"
     CONTENT "#define PLUGIN_VERSION \"${PROJECT_VERSION}\"\n#define PLUGIN_VERSION_NUMBERS ${numbers}\n")

add_library(@NAME@ SHARED src/@NAME@.@EXTENSION@ src/@NAME@.def src/version.rc)
set_target_properties(@NAME@ PROPERTIES PREFIX "" SUFFIX ".lmd")
target_include_directories(@NAME@ PRIVATE "${LUA51_DIR}" "${CMAKE_CURRENT_BINARY_DIR}")
if(MSVC)
  # Untested: MSVC links against an import library made from lua5.1.dll.
  target_compile_options(@NAME@ PRIVATE /W4 /MT)
  target_link_libraries(@NAME@ PRIVATE "${LUA51_DIR}/lua5.1.lib")
else()
  target_compile_options(@NAME@ PRIVATE -Wall -Wextra @LEAN@)
  # The C runtime is the system's msvcrt; the compiler's own runtimes go in
  # the module, so it needs nothing beside it but the host's lua5.1.dll.
  target_link_options(@NAME@ PRIVATE -static-libgcc @STATIC_CXX@ -s)
  target_link_libraries(@NAME@ PRIVATE "${LUA51_DIR}/lua5.1.dll")
endif()
target_link_libraries(@NAME@ PRIVATE shell32)

# Help.html goes beside the module, made from the module itself by mdhost doc
# so that it never drifts from the actions; without mdhost, the project's own
# Help.html is copied. MDHOST is the command that runs it ("wine mdhost.exe"
# on Linux); empty: mdhost on the PATH.
set(MDHOST "" CACHE STRING "the command that runs mdhost")
if(MDHOST STREQUAL "")
  find_program(MDHOST_PROGRAM NAMES mdhost)
  if(MDHOST_PROGRAM)
    set(MDHOST "${MDHOST_PROGRAM}")
  endif()
endif()
if(MDHOST STREQUAL "")
  message(STATUS "mdhost not found: build/Help.html is the project's Help.html, made when the project was")
  add_custom_command(TARGET @NAME@ POST_BUILD
    COMMAND "${CMAKE_COMMAND}" -E copy "${CMAKE_CURRENT_SOURCE_DIR}/Help.html" "${CMAKE_CURRENT_BINARY_DIR}/Help.html")
else()
  separate_arguments(mdhost_command UNIX_COMMAND "${MDHOST}")
  add_custom_command(TARGET @NAME@ POST_BUILD
    COMMAND ${mdhost_command} doc "$<TARGET_FILE_NAME:@NAME@>" -o Help.html
    WORKING_DIRECTORY "$<TARGET_FILE_DIR:@NAME@>")
endif()
)";

const char kCiScript[] = R"sh(#!/bin/sh
# @NAME@'s CI step: build, check clean (--strict), and, given the module of
# a previous release, no script of that release broken unless this is a
# major release. mdhost's exit codes are the verdict.
#   LUA51_DIR=FOLDER [MDHOST="wine mdhost.exe"] sh ci.sh [PREVIOUS.lmd]
set -e
cd "$(dirname "$0")"
MDHOST=${MDHOST:-mdhost}
$MDHOST check --strict --quiet actions.xml  # findings at actions.xml:LINE:COLUMN
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DLUA51_DIR="$LUA51_DIR" -DMDHOST="$MDHOST" >/dev/null
cmake --build build >/dev/null
$MDHOST check --strict --quiet build/@NAME@.lmd  # its document placed on actions.xml (mdhost.toml's document)
if [ -n "$1" ]; then
  $MDHOST diff "$1" build/@NAME@.lmd
fi
)sh";

const char kToolchain[] = R"(# Cross-compiling for 32-bit Windows with MinGW-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
)";

const char kReadme[] = R"(# @NAME@

An action plugin for Autoplay Media Studio 8, made by `mdhost new`. Scripts
call `@NAME@.Hello("World")` and get `"Hello, World!"`.

## First steps

The actions are described in `actions.xml`, which the module carries as its
action XML. After each edit:

    mdhost check actions.xml              # each finding at actions.xml:LINE:COLUMN
    mdhost check --fix --diff actions.xml # what --fix would mend, as a patch
    mdhost check --fix actions.xml        # mend it in place (a misspelt type, a string without quotes)

Then build (below) and check the module itself: `mdhost.toml` names
`actions.xml` as its source, so the findings about its document are placed
on `actions.xml`'s lines there too.

## Build

With the i686 MinGW-w64 toolchain and CMake (on Debian:
`apt-get install gcc-mingw-w64-i686 g++-mingw-w64-i686 cmake`), and a folder
LUA holding `lua.h`, `lauxlib.h`, `lualib.h`, `luaconf.h` (Lua 5.1) and the
host's `lua5.1.dll`:

    cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DLUA51_DIR=LUA
    cmake --build build

That leaves `build/@NAME@.lmd` and, beside it, `build/Help.html`: the
reference page `mdhost doc` makes from the built module, so it always shows
the actions as `actions.xml` has them. CMake finds `mdhost` on the PATH, or
is told the command with `-DMDHOST="wine /path/to/mdhost.exe"`; without it
the project's `Help.html` (made by `mdhost new`) is copied instead. MSVC is
untested: the CMake file has its flags behind a compiler check only.

## Check

    mdhost check build/@NAME@.lmd
    mdhost run build/@NAME@.lmd hello.lua     # hello.lua: print(@NAME@.Hello("World"))
    mdhost help build/@NAME@.lmd build        # opens build/Help.html, as the host would

`check` holds the plugin to the host's contract (no FAIL and no WARN as
made); `run` runs a script with its actions, as the host would.
`mdhost.toml` lists every rule at its own severity, commented out: the
place to allow a rule or make it warn or fail, for this project.

## CI

    LUA51_DIR=FOLDER sh ci.sh [PREVIOUS.lmd]

builds the plugin, checks it with `--strict` and, given the module of a
previous release, fails where scripts written for that release break
unless the version (in `CMakeLists.txt`) is a major release. It uses
mdhost's exit codes alone (0 clean, 1 a problem, 2 a wrong command line, 3
a file missing); `MDHOST` names the mdhost to run (`wine mdhost.exe` on
Linux).

## Install

Copy `build/@NAME@.lmd` and `build/Help.html` into a folder `@NAME@` in the
action plugins folder of Autoplay Media Studio 8 (for example
`C:\Program Files (x86)\Autoplay Media Studio 8\Plugins\Actions\@NAME@\`),
then add the plugin under Project > Plugins.

## Where things are

- `src/@NAME@.@EXTENSION@`: the getters, the help exports, the registration
  and the action.
- `src/@NAME@.def`: the exports, by their plain names.
- `src/version.rc`: the version resource; its version, like the version
  getter's, is the one `project()` in `CMakeLists.txt` gives (change it
  there alone and rebuild).
- `actions.xml`: the actions as the host shows them; the build puts it into
  the module.
- `Help.html`: the reference page as `mdhost new` made it; the build makes
  `build/Help.html` from the module, and the help exports open the one in
  the plugin's folder.
- `mdhost.toml`: the levels of mdhost's rules for this project.
- `ci.sh`: build and check, as a CI step runs them.
)";

// The global tables scripts already have: Lua's own libraries, and the
// host's own actions. A plugin registering a table of such a name replaces
// it, and every script that uses it breaks.
const char* const kLuaTables[] = {"_G", "coroutine", "debug", "io", "math", "os", "package", "string", "table"};
const char* const kHostTables[] = {
    "Application", "Audio",    "Button",    "CheckBox",  "Clipboard", "ComboBox",    "Crypto",   "Debug",
    "Dialog",      "DialogEx", "DLL",       "Drive",     "Email",     "File",        "Flash",    "Folder",
    "Grid",        "HTTP",     "Hotspot",   "Image",     "INIFile",   "Input",       "Label",    "ListBox",
    "Math",        "Page",     "Paragraph", "Plugin",    "Progress",  "RadioButton", "Registry", "RichText",
    "Screen",      "Shell",    "SlideShow", "StatusDlg", "String",    "System",      "Table",    "TextFile",
    "Tree",        "Video",    "Web",       "Window",    "XML",       "Zip"};

}  // namespace

std::string WhyNotATableName(const std::string& name) {
  if (name.empty()) return "a plugin's table needs a name";
  if (name.size() > 64) return "it is longer than 64 characters";
  if (!IsLuaName(name))
    return name[0] >= '0' && name[0] <= '9' ? "a Lua name cannot begin with a digit"
                                            : "a Lua name holds only letters, digits and underscores";
  if (IsLuaKeyword(name)) return "it is a Lua keyword";
  for (const char* table : kLuaTables)
    if (name == table)
      return "it is the name of Lua's own table " + name + ", which the plugin would replace for every script";
  for (const char* table : kHostTables)
    if (name == table)
      return "it is the name of the host's own table " + name + ", which the plugin would replace for every script";
  return "";
}

std::string NewActionDocument(const std::string& name) { return Fill(kActionDocument, name); }

std::vector<ProjectFile> NewProject(const std::string& name, bool cpp, const std::string& help_page) {
  const std::string extension = cpp ? "cpp" : "c";
  std::string cmake = Fill(kCMakeLists, name);
  cmake = ReplaceAll(cmake, "@LANGUAGE@", cpp ? "CXX" : "C");
  cmake = ReplaceAll(cmake, "@EXTENSION@", extension);
  cmake = ReplaceAll(cmake, "@LEAN@", cpp ? "-fno-exceptions -fno-rtti" : "");
  cmake = ReplaceAll(cmake, "@STATIC_CXX@", cpp ? "-static-libstdc++" : "");
  const std::string readme = ReplaceAll(Fill(kReadme, name), "@EXTENSION@", extension);
  return {{"src/" + name + "." + extension, NewPluginSource(name, cpp)},
          {"src/" + name + ".def", NewExportList(name)},
          {"src/version.rc", NewVersionResource(name)},
          {"actions.xml", NewActionDocument(name)},
          {"Help.html", help_page},
          {"CMakeLists.txt", cmake},
          {"cmake/mingw-i686.cmake", kToolchain},
          {"README.md", readme},
          {kRuleFileName, RuleFileTemplate("actions.xml")},
          {"ci.sh", Fill(kCiScript, name)},
          {".gitignore", "# What the build makes.\n/build/\n"}};
}

}  // namespace host

// The sources of a new plugin project: the plugin's C or C++ file, its
// export list and its version resource.
#include "mdhost/commands/new_project.h"

namespace host {
namespace {

// The getters follow the protocol to the byte: a size too small (negative
// ones too) stores the length and writes nothing; otherwise the text and its
// NUL, and the length is the result. This is the example authors copy.
const char kSource[] = R"(/* @NAME@: an action plugin for Autoplay Media Studio 8, made by mdhost new.
 * The host calls the five text getters and irPlg_GetSDKVersion to learn who
 * the plugin is, then irPlg_Action_RegisterActions to install its Lua table.
 * Every export is cdecl with its plain name (@NAME@.def lists them). */
#include <windows.h> /* first: shellapi.h needs it */

#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
@CPP_INCLUDES@
@EXTERN_OPEN@#include <lauxlib.h>
#include <lua.h>
@EXTERN_CLOSE@
#include "actions_xml.h"    /* kActionXml, made by the build from actions.xml */
#include "plugin_version.h" /* PLUGIN_VERSION, made by the build from project() in CMakeLists.txt */

#define EXPORT @EXPORT@

static const char kName[] = "@NAME@";
static const char kVersion[] = PLUGIN_VERSION;
static const char kLuaVersion[] = "Lua 5.1";
static const char kAuthorInfo[] = "@NAME@, an action plugin made with mdhost new";

/* The text getter protocol. `*size` is the room for the text, never counting
 * the terminating NUL, which always fits besides. Too little room (a negative
 * size too): store the length, write nothing, return -1, and the host calls
 * again with that size. Otherwise: the text and its NUL, and the length. */
static int Serve(const char* text, char* buffer, int* size) {
  const int length = (int)strlen(text);
  if (*size < length) {
    *size = length;
    return -1;
  }
  memcpy(buffer, text, (size_t)length + 1);
  return length;
}

EXPORT int irPlg_GetPluginName(char* buffer, int* size) { return Serve(kName, buffer, size); }
EXPORT int irPlg_GetPluginVersion(char* buffer, int* size) { return Serve(kVersion, buffer, size); }
EXPORT int irPlg_GetLuaVersion(char* buffer, int* size) { return Serve(kLuaVersion, buffer, size); }
EXPORT int irPlg_GetAuthorInfo(char* buffer, int* size) { return Serve(kAuthorInfo, buffer, size); }
EXPORT int irPlg_GetPluginActionXML(char* buffer, int* size) { return Serve(kActionXml, buffer, size); }
EXPORT int irPlg_GetSDKVersion(void) { return 2; }

/* "\"file:///C:/My%20Plugins/Help.html#Table.Action\"": the page at an
 * action's section, as a URL a browser takes (a file name has no section). */
static void SectionUrl(const char* path, const char* action, char* url) {
  static const char kHex[] = "0123456789ABCDEF";
  url += sprintf(url, "\"file:///");
  for (; *path != '\0'; ++path) {
    const unsigned char c = (unsigned char)*path;
    if (c == '\\') {
      *url++ = '/';
    } else if (c <= ' ' || c == '%' || c == '#' || c == '?' || c == '"' || c >= 0x7F) {
      *url++ = '%';
      *url++ = kHex[c >> 4];
      *url++ = kHex[c & 15];
    } else {
      *url++ = (char)c;
    }
  }
  sprintf(url, "#%s\"", action);
}

/* The host asks for help through these two: Help.html in the folder it names
 * (the plugin's own, without a trailing backslash), opened by the program
 * the system opens pages with; for an action, at the action's own section
 * (Help.html#Table.Action). 1: the page was opened; 0: there is none, or the
 * shell could not open it. */
static int ShowHelp(const char* folder, const char* action, void* parent) {
  static const char kPage[] = "\\Help.html";
  const size_t length = folder != NULL ? strlen(folder) : 0;
  const size_t named = action != NULL ? strlen(action) : 0;
  char* path = (char*)malloc(length + sizeof kPage);
  char* url = (char*)malloc(3 * (length + sizeof kPage) + named + 16);
  char program[MAX_PATH];
  int shown = 0;
  if (path != NULL && url != NULL) {
    memcpy(path, folder != NULL ? folder : "", length);
    memcpy(path + length, kPage, sizeof kPage);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
      shown = 0;
    } else if (named > 0 && (INT_PTR)FindExecutableA(path, NULL, program) > 32) {
      SectionUrl(path, action, url);
      shown = (INT_PTR)ShellExecuteA((HWND)parent, "open", program, url, NULL, SW_SHOWNORMAL) > 32;
    } else {
      shown = (INT_PTR)ShellExecuteA((HWND)parent, "open", path, NULL, NULL, SW_SHOWNORMAL) > 32;
    }
  }
  free(path);
  free(url);
  return shown;
}

EXPORT int irPlg_ShowHelpForPlugin(char* folder, void* parent) { return ShowHelp(folder, NULL, parent); }
EXPORT int irPlg_ShowHelpForAction(char* action, char* folder, void* parent) {
  return ShowHelp(folder, action, parent);
}

/* @NAME@.Hello(Name): a greeting for Name. */
static int Hello(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
@HELLO_BODY@  return 1;
}

/* Installs the global table @NAME@; leaves the Lua stack as it found it. */
EXPORT int irPlg_Action_RegisterActions(lua_State* L) {
  lua_newtable(L);
  lua_pushcfunction(L, Hello);
  lua_setfield(L, -2, "Hello");
  lua_setglobal(L, "@NAME@");
  return 0;
}
@CPP_RUNTIME@)";

// What a C++ plugin adds: the library it greets with, and the start-up
// memory of the C++ runtime given back at each release.
const char kCppIncludes[] = R"(
#include <string>
#include <vector>
)";
const char kCppHello[] = R"(  const std::vector<std::string> parts = {"Hello, ", name, "!"};
  std::string greeting;
  for (const std::string& part : parts) greeting += part;
  lua_pushstring(L, greeting.c_str());
)";
const char kCHello[] = R"(  lua_pushfstring(L, "Hello, %s!", name);
)";
const char kCppRuntime[] = R"(
/* The C++ runtime linked into the plugin (-static-libstdc++) sets aside an
 * emergency pool for exceptions at every load and gives it back only when
 * asked to: without this, every load and release would keep memory (mdhost's
 * MD501), which scripts that inspect plugins in a loop pay for. */
namespace __gnu_cxx {
void __freeres() throw();
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  (void)module;
  if (reason == DLL_PROCESS_DETACH && reserved == NULL) __gnu_cxx::__freeres(); /* a release, not the process's end */
  return TRUE;
}
)";

const char kDefinitions[] = R"(LIBRARY "@NAME@.lmd"
EXPORTS
  irPlg_GetPluginName
  irPlg_GetPluginVersion
  irPlg_GetLuaVersion
  irPlg_GetAuthorInfo
  irPlg_GetPluginActionXML
  irPlg_GetSDKVersion
  irPlg_ShowHelpForPlugin
  irPlg_ShowHelpForAction
  irPlg_Action_RegisterActions
)";

const char kVersionResource[] = R"(#include <winver.h>

#include "plugin_version.h" /* the version project() in CMakeLists.txt gives */

VS_VERSION_INFO VERSIONINFO
FILEVERSION PLUGIN_VERSION_NUMBERS
PRODUCTVERSION PLUGIN_VERSION_NUMBERS
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_DLL
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904b0"
    BEGIN
      VALUE "FileDescription", "@NAME@ action plugin for Autoplay Media Studio 8"
      VALUE "FileVersion", PLUGIN_VERSION
      VALUE "ProductName", "@NAME@"
      VALUE "ProductVersion", PLUGIN_VERSION
      VALUE "OriginalFilename", "@NAME@.lmd"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
)";

}  // namespace

std::string ReplaceAll(std::string text, const std::string& mark, const std::string& value) {
  for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
    text.replace(at, mark.size(), value);
  return text;
}

std::string Fill(const std::string& text, const std::string& name) { return ReplaceAll(text, "@NAME@", name); }

std::string NewPluginSource(const std::string& name, bool cpp) {
  std::string source = Fill(kSource, name);
  source = ReplaceAll(source, "@EXTERN_OPEN@", cpp ? "extern \"C\" {\n" : "");
  source = ReplaceAll(source, "@EXTERN_CLOSE@", cpp ? "}\n" : "");
  source = ReplaceAll(source, "@EXPORT@", cpp ? "extern \"C\"" : "");
  source = ReplaceAll(source, "@CPP_INCLUDES@", cpp ? kCppIncludes : "");
  source = ReplaceAll(source, "@HELLO_BODY@", cpp ? kCppHello : kCHello);
  source = ReplaceAll(source, "@CPP_RUNTIME@", cpp ? kCppRuntime : "");
  return source;
}

std::string NewExportList(const std::string& name) { return Fill(kDefinitions, name); }

std::string NewVersionResource(const std::string& name) { return Fill(kVersionResource, name); }

}  // namespace host

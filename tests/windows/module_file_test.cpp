// The real module file under Windows (Wine): loading, exports, imports and
// the version resource.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "plugin/module/text_getter.h"
#include "support/test_paths.h"

namespace {

const std::set<std::string> kExports = {
    "irPlg_GetPluginName",          "irPlg_GetPluginVersion", "irPlg_GetLuaVersion",     "irPlg_GetAuthorInfo",
    "irPlg_GetPluginActionXML",     "irPlg_GetSDKVersion",    "irPlg_ShowHelpForAction", "irPlg_ShowHelpForPlugin",
    "irPlg_Action_RegisterActions", "GetPluginName",          "GetPluginActionXML",      "GetPluginLuaVersion",
    "GetPluginAuthorInfo",          "GetPluginVersion",       "GetModuleDetails"};

const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int which) {
  auto base = reinterpret_cast<const BYTE*>(module);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  return nt->OptionalHeader.DataDirectory[which];
}

std::set<std::string> ExportedNames(HMODULE module) {
  auto base = reinterpret_cast<const BYTE*>(module);
  auto dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
      base + Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
  auto names = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
  std::set<std::string> result;
  for (DWORD i = 0; i < dir->NumberOfNames; ++i) result.insert(reinterpret_cast<const char*>(base + names[i]));
  EXPECT_EQ(dir->NumberOfNames, dir->NumberOfFunctions) << "exports by ordinal only";
  return result;
}

std::set<std::string> ImportedModules(HMODULE module) {
  auto base = reinterpret_cast<const BYTE*>(module);
  auto desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
      base + Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
  std::set<std::string> result;
  for (; desc->Name != 0; ++desc) {
    std::string name = reinterpret_cast<const char*>(base + desc->Name);
    std::transform(name.begin(), name.end(), name.begin(), [](char c) { return std::tolower(c); });
    result.insert(name);
  }
  return result;
}

// The runtimes are linked in: only system modules and the host's Lua.
void ExpectOnlySystemImports(const std::string& path, bool mayUseLua) {
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(nullptr, module) << path;
  const std::set<std::string> allowed = {"kernel32.dll", "msvcrt.dll", "shell32.dll", "user32.dll", "advapi32.dll"};
  for (const std::string& name : ImportedModules(module)) {
    if (mayUseLua && name == "lua5.1.dll") continue;
    EXPECT_TRUE(allowed.count(name)) << path << " imports " << name;
  }
  FreeLibrary(module);
}

TEST(ModuleFile, LoadsAndUnloads) {
  for (int round = 0; round < 3; ++round) {
    HMODULE module = LoadLibraryA(testing_paths::PluginPath().c_str());
    ASSERT_NE(nullptr, module) << GetLastError();
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(nullptr, GetModuleHandleA("ModuleDetails.lmd"));
  }
}

TEST(ModuleFile, ExportsExactlyTheUndecoratedNames) {
  HMODULE module = LoadLibraryA(testing_paths::PluginPath().c_str());
  ASSERT_NE(nullptr, module);
  EXPECT_EQ(kExports, ExportedNames(module));
  for (const std::string& name : kExports)
    EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(module, name.c_str()))) << name;
  FreeLibrary(module);
}

TEST(ModuleFile, ImportsOnlySystemModulesAndLua) {
  ExpectOnlySystemImports(testing_paths::PluginPath(), true);
  const std::string plugin = testing_paths::PluginPath();
  const std::string dir = plugin.substr(0, plugin.find_last_of('\\') + 1);
  ExpectOnlySystemImports(dir + "lua5.1.dll", false);
  ExpectOnlySystemImports(dir + "mdhost.exe", true);
}

DWORD WINAPI DoNothing(LPVOID) { return 0; }

TEST(ModuleFile, ServesItsTextsThroughTheLoadedModuleAcrossThreadNotices) {
  HMODULE module = LoadLibraryA(testing_paths::PluginPath().c_str());
  ASSERT_NE(nullptr, module);
  using Getter = md::TextGetter;
  auto xml = reinterpret_cast<Getter>(GetProcAddress(module, "irPlg_GetPluginActionXML"));
  auto name = reinterpret_cast<Getter>(GetProcAddress(module, "irPlg_GetPluginName"));
  auto read = [&](Getter g) {
    char buffer[20000];
    int32_t size = sizeof buffer - 1;
    const int32_t n = g(buffer, &size);
    return n < 0 ? std::string() : std::string(buffer, n);
  };
  const std::string before = read(xml);
  // Thread attach and detach notices reach the entry point and change nothing.
  HANDLE thread = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_EQ(testing_paths::ReadFile(testing_paths::DocumentPath()), before);
  EXPECT_EQ(before, read(xml));
  EXPECT_EQ("ModuleDetails", read(name));
  FreeLibrary(module);
}

std::string VersionString(const std::string& data, const char* key) {
  char* value = nullptr;
  UINT length = 0;
  const std::string query = std::string("\\StringFileInfo\\000004b0\\") + key;
  if (!VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) return "<missing>";
  return std::string(value, length ? length - 1 : 0);
}

TEST(ModuleFile, VersionResource) {
  const std::string path = testing_paths::PluginPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &data[0]));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(0x00010001u, fixed->dwFileVersionMS);
  EXPECT_EQ(0u, fixed->dwFileVersionLS);
  EXPECT_EQ(0x00010001u, fixed->dwProductVersionMS);
  EXPECT_EQ(0u, fixed->dwProductVersionLS);
  EXPECT_EQ(0u, fixed->dwFileFlagsMask);
  EXPECT_EQ(0u, fixed->dwFileFlags);
  EXPECT_EQ(0u, fixed->dwFileOS);
  EXPECT_EQ(0u, fixed->dwFileType);
  EXPECT_EQ(0u, fixed->dwFileSubtype);

  EXPECT_EQ("1.1", VersionString(data, "FileVersion"));
  EXPECT_EQ("1.1 SDK2", VersionString(data, "ProductVersion"));
  EXPECT_EQ("ModuleDetails.lmd", VersionString(data, "InternalName"));
  EXPECT_EQ("ModuleDetails.lmd", VersionString(data, "OriginalFilename"));
  for (const char* key : {"CompanyName", "ProductName", "FileDescription", "LegalCopyright", "LegalTrademarks", "Email",
                          "Website", "Notes"})
    EXPECT_NE("<missing>", VersionString(data, key)) << key;

  // Stored under US English.
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, module);
  EXPECT_NE(nullptr, FindResourceExA(module, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), 1033));
  FreeLibrary(module);
}

// One version number: the project's, which the build writes into the version
// resource, must be what the fixed texts say too.
TEST(ModuleFile, VersionTextsAgreeWithTheProjectVersion) {
  const std::string path = testing_paths::PluginPath();
  std::string data(GetFileVersionInfoSizeA(path.c_str(), nullptr), '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), &data[0]));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(static_cast<DWORD>(MD_VERSION_MAJOR << 16 | MD_VERSION_MINOR), fixed->dwFileVersionMS);
  EXPECT_EQ(static_cast<DWORD>(MD_VERSION_PATCH << 16 | MD_VERSION_TWEAK), fixed->dwFileVersionLS);
  EXPECT_EQ(MD_VERSION_TEXT, VersionString(data, "FileVersion"));

  char text[16];
  int32_t size = sizeof text - 1;
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(nullptr, module);
  auto version = reinterpret_cast<md::TextGetter>(GetProcAddress(module, "irPlg_GetPluginVersion"));
  ASSERT_LE(0, version(text, &size));
  FreeLibrary(module);
  EXPECT_STREQ(MD_VERSION_TEXT, text);

  const std::string document = testing_paths::ReadFile(testing_paths::DocumentPath());
  const int parts[] = {MD_VERSION_MAJOR, MD_VERSION_MINOR, MD_VERSION_PATCH, MD_VERSION_TWEAK};
  for (int i = 0; i < 4; ++i) {
    const std::string element = "<Version" + std::to_string(i + 1) + ">" + std::to_string(parts[i]) + "<";
    EXPECT_NE(std::string::npos, document.find(element)) << element;
  }
}

}  // namespace

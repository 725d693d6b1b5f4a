// The system calls on the way to an answer, each made to fail for want of
// memory in turn (ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY and
// ERROR_COMMITMENT_LIMIT by turns): every action gives its right answer or
// raises Lua's memory error, never an answer a shortage has changed (nil for
// a file that is there, "" for a plugin with texts, the text of another file).
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/platform_win32.h"
#include "plugin/module/module_state.h"
#include "support/lua_state.h"
#include "support/test_paths.h"

namespace {

// Which call of the action fails (0: the first), and how many were made.
long fail_at = -1, calls = 0;
DWORD failure = ERROR_NOT_ENOUGH_MEMORY;

bool FailsNow() {
  if (calls++ != fail_at) return false;
  SetLastError(failure);
  return true;
}

md::SystemCalls real;

int WINAPI MultiByteToWide(UINT page, DWORD flags, LPCCH text, int length, LPWSTR wide, int room) {
  return FailsNow() ? 0 : real.multi_byte_to_wide_char(page, flags, text, length, wide, room);
}
DWORD WINAPI FullPathName(LPCWSTR path, DWORD room, LPWSTR full, LPWSTR* name) {
  return FailsNow() ? 0 : real.get_full_path_name(path, room, full, name);
}
HANDLE WINAPI FindFirst(LPCWSTR path, LPWIN32_FIND_DATAW data) {
  return FailsNow() ? INVALID_HANDLE_VALUE : real.find_first_file(path, data);
}
BOOL WINAPI FileAttributesEx(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data) {
  return FailsNow() ? FALSE : real.get_file_attributes_ex(path, level, data);
}
HMODULE WINAPI LoadLibraryEx(LPCWSTR path, HANDLE file, DWORD flags) {
  return FailsNow() ? nullptr : real.load_library_ex(path, file, flags);
}

std::string AnswerOf(const char* action, const std::string& path) {
  TestLuaState lua;
  const int status = lua.Call(action, [&](lua_State* L) { lua_pushstring(L, path.c_str()); });
  return AnswerText(lua.L, status);
}

TEST(SystemShortage, EveryCallThatFailsForWantOfMemoryRaises) {
  md::OnProcessDetach();
  md::OnProcessAttach();
  const std::string folder = testing_paths::DataPath("system_shortage");
  CreateDirectoryA(folder.c_str(), nullptr);
  // A plugin named without an extension, loaded by another spelling.
  const std::string bare = folder + "\\plugin_without_extension";
  ASSERT_TRUE(CopyFileA(testing_paths::FixturePath("fixture_c_plugin").c_str(), bare.c_str(), FALSE));
  CopyFileA(testing_paths::FixturePath("fixture_counter").c_str(), (folder + "\\fixture_counter.dll").c_str(), FALSE);
  const std::string plugin = testing_paths::PluginPath();
  const struct {
    const char* action;
    std::string path;
  } cases[] = {{"GetName", plugin},
               {"GetVersion", bare},
               {"GetInfo", plugin},
               {"GetInfo", bare},
               {"GetName", folder + "\\no such plugin"},
               {"GetName", folder + "\\"}};
  real = md::system_calls;
  md::system_calls.multi_byte_to_wide_char = MultiByteToWide;
  md::system_calls.get_full_path_name = FullPathName;
  md::system_calls.find_first_file = FindFirst;
  md::system_calls.get_file_attributes_ex = FileAttributesEx;
  md::system_calls.load_library_ex = LoadLibraryEx;
  const DWORD failures[] = {ERROR_NOT_ENOUGH_MEMORY, ERROR_OUTOFMEMORY, ERROR_COMMITMENT_LIMIT};
  for (const auto& c : cases) {
    fail_at = -1;
    calls = 0;
    const std::string right = AnswerOf(c.action, c.path);
    const long made = calls;
    ASSERT_GT(made, 0) << c.action << " " << c.path;
    for (fail_at = 0; fail_at < made; ++fail_at) {
      calls = 0;
      failure = failures[fail_at % 3];
      const std::string answer = AnswerOf(c.action, c.path);
      if (answer != right)
        EXPECT_EQ("error: not enough memory", answer) << c.action << " " << c.path << " failing call " << fail_at;
    }
  }
  md::system_calls = real;
  EXPECT_EQ(0u, md::State().loaded_modules.count);
}

}  // namespace

// Names in a double-byte code page, for real: the test run gives this test
// Wine's Japanese locale (code page 932), in which the second byte of ソ
// (83 5C) and of 表 (95 5C) is a backslash. Elsewhere it is skipped, unless
// MD_EXPECT_CODE_PAGE says the locale was meant to be there.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "plugin/module/module_state.h"
#include "support/lua_state.h"
#include "support/test_paths.h"

namespace {

std::wstring Wide(const std::string& ansi) {
  std::wstring wide(ansi.size() + 1, L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1));
  return wide;
}

// The name GetName gives for `path`, "nil" or the error.
std::string NameOf(TestLuaState& lua, const std::string& path) {
  const int status = lua.Call("GetName", [&](lua_State* L) { lua_pushlstring(L, path.data(), path.size()); });
  std::string name = status != 0 ? "error " : "";
  name += lua_isnil(lua.L, -1) ? "nil" : lua_tostring(lua.L, -1);
  lua_pop(lua.L, 1);
  return name;
}

TEST(DoubleByteNames, ASecondByteThatIsABackslashStaysInTheName) {
  if (GetACP() != 932) {
    if (std::getenv("MD_EXPECT_CODE_PAGE") != nullptr) FAIL() << "the code page is " << GetACP() << ", not 932";
    GTEST_SKIP() << "needs code page 932";
  }
  const std::string folder = testing_paths::DataPath("double_byte");
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::wstring in = Wide(folder) + L"\\";
  auto place = [&](const char* fixture, const wchar_t* name) {
    ASSERT_TRUE(CopyFileW(Wide(testing_paths::FixturePath(fixture)).c_str(), (in + name).c_str(), FALSE));
  };
  place("fixture_counter", L"fixture_counter.dll");  // what the fixtures import
  place("fixture_c_plugin", L"A\u30BD");             // Aソ
  place("fixture_plugin", L"A\u30FB");               // A・, what "A" and a lone lead byte 83 become
  place("fixture_c_plugin", L"B\u8868");             // B表
  md::OnProcessDetach();                             // afresh, as a load of the plugin starts
  md::OnProcessAttach();
  TestLuaState lua;
  const std::string a = folder + "\\A\x83\x5C", b = folder + "\\B\x95\x5C";
  for (const std::string& path : {a, a + "\\", a + "/", a + "\\/", "\\\\?\\" + a, "\\\\?\\" + a + "\\", b, b + "\\"})
    EXPECT_EQ("C Plugin", NameOf(lua, path)) << path;
  EXPECT_EQ("Fixture Plugin", NameOf(lua, folder + "\\A\x81\x45"));  // A・ by its own bytes
}

}  // namespace

// The probe and the query against the real Windows (Wine) services.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fixtures/fixture_counter.h"
#include "platform/platform_win32.h"
#include "plugin/inspect/plugin_query.h"
#include "plugin/module/module_state.h"
#include "support/query_text.h"
#include "support/test_paths.h"

namespace {

using md::kPathAbsent;
using md::kPathIsFolder;
using md::ProbePath;

char UnusedDriveLetter() {
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return letter;
  return 0;
}

std::wstring Spelled(const char* path) {
  wchar_t* resolved = nullptr;
  const md::Search made = md::ResolvePath(path, &resolved);
  std::wstring out = made == md::Search::kFound && resolved != nullptr ? resolved : L"(none)";
  md::Os().release_memory(resolved);
  return out;
}

// The one spelling of a path: a UNC name takes the "\\?\UNC\" form, and a
// full path of exactly 260 characters (one past what MAX_PATH holds with its
// NUL) is spelled whole, as any other length.
TEST(WindowsPaths, TheSpellingStepForUncAndTheLengthAtTheLimit) {
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\x.lmd", Spelled("\\\\server\\share\\x.lmd"));
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\x.lmd", Spelled("//server/share/x.lmd"));
  const std::string at_limit = "C:\\" + std::string(253, 'n') + ".lmd";
  ASSERT_EQ(260u, at_limit.size());
  EXPECT_EQ(L"\\\\?\\" + std::wstring(at_limit.begin(), at_limit.end()), Spelled(at_limit.c_str()));
}

TEST(WindowsPaths, DriveRoots) {
  EXPECT_EQ(kPathIsFolder, ProbePath("C:"));
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\"));
  const char letter = UnusedDriveLetter();
  ASSERT_NE(0, letter);
  const std::string absent = std::string(1, letter) + ":";
  EXPECT_EQ(kPathAbsent, ProbePath(absent.c_str()));
  EXPECT_EQ(kPathAbsent, ProbePath((absent + "\\").c_str()));
}

TEST(WindowsPaths, ADriveRelativeNameIsAFileInThatDrivesFolder) {
  const std::string folder = testing_paths::DataPath("");
  const std::string name = "drive_relative.bin";
  HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  WriteFile(file, "12345", 5, &written, nullptr);
  CloseHandle(file);
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  EXPECT_EQ(5, ProbePath((folder.substr(0, 2) + name).c_str()));
  EXPECT_EQ(kPathAbsent, ProbePath((folder.substr(0, 2) + "q").c_str()));
  SetCurrentDirectoryA(saved);
}

TEST(WindowsPaths, FoldersWithAndWithoutTrailingSeparators) {
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\windows"));
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\windows\\"));
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\windows\\\\\\"));
  // A forward slash is a separator too.
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\windows/"));
  EXPECT_EQ(kPathIsFolder, ProbePath("C:/windows//"));
}

TEST(WindowsPaths, FileSizesAndLongPaths) {
  const std::string plugin = testing_paths::PluginPath();
  WIN32_FILE_ATTRIBUTE_DATA info;
  ASSERT_TRUE(GetFileAttributesExA(plugin.c_str(), GetFileExInfoStandard, &info));
  EXPECT_EQ(static_cast<int64_t>(info.nFileSizeLow), ProbePath(plugin.c_str()));
  const std::string longer = plugin + std::string(300, 'x');
  EXPECT_EQ(kPathAbsent, ProbePath(longer.c_str()));  // its first 260 bytes name nothing
}

TEST(WindowsQuery, HugeStoredLengthCannotBeHad) {
  md::OnProcessAttach();
  FixtureResetCounts();
  const std::string fixture = testing_paths::FixturePath("fixture_misbehaving");
  EXPECT_EQ("", QueryText(fixture, "irPlg_GetHugeText"));
  EXPECT_EQ(1, FixtureGetterCalls());
}

TEST(WindowsQuery, NoInspectedModuleStaysLoaded) {
  md::OnProcessAttach();
  for (int i = 0; i < 50; ++i) {
    for (const char* fixture : {"fixture_plugin", "fixture_large", "fixture_misbehaving"})
      QueryText(testing_paths::FixturePath(fixture), "irPlg_GetPluginName");
    QueryText(testing_paths::PluginPath(), "irPlg_GetPluginActionXML");
  }
  EXPECT_EQ(nullptr, GetModuleHandleA("fixture_plugin.dll"));
  EXPECT_EQ(nullptr, GetModuleHandleA("fixture_large.dll"));
  EXPECT_EQ(nullptr, GetModuleHandleA("fixture_misbehaving.dll"));
  EXPECT_EQ(nullptr, GetModuleHandleA("ModuleDetails.lmd"));
  EXPECT_EQ(0u, md::State().loaded_modules.count);
}

}  // namespace

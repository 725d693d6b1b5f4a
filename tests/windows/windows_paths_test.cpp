// The probe and the query against the real Windows (Wine) services.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fixtures/fixture_counter.h"
#include "inspect/plugin_query.h"
#include "module/module_state.h"
#include "support/test_paths.h"

namespace {

using md::PathAbsent;
using md::PathIsFolder;
using md::ProbePath;

char UnusedDriveLetter() {
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return letter;
  return 0;
}

TEST(WindowsPaths, DriveRoots) {
  EXPECT_EQ(PathIsFolder, ProbePath("C:"));
  EXPECT_EQ(PathIsFolder, ProbePath("C:\\"));
  const char letter = UnusedDriveLetter();
  ASSERT_NE(0, letter);
  const std::string absent = std::string(1, letter) + ":";
  EXPECT_EQ(PathAbsent, ProbePath(absent.c_str()));
  EXPECT_EQ(PathAbsent, ProbePath((absent + "\\").c_str()));
  // "C:a" is answered by the drive type of that very text, never by a search.
  const UINT type = GetDriveTypeA("C:a");
  EXPECT_EQ(type <= DRIVE_NO_ROOT_DIR ? PathAbsent : PathIsFolder, ProbePath("C:a"));
}

TEST(WindowsPaths, FoldersWithAndWithoutTrailingSeparators) {
  EXPECT_EQ(PathIsFolder, ProbePath("C:\\windows"));
  EXPECT_EQ(PathIsFolder, ProbePath("C:\\windows\\"));
  EXPECT_EQ(PathIsFolder, ProbePath("C:\\windows\\\\\\"));
  // A forward slash stays and reaches the file search as it is.
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA("C:\\windows/", &data);
  const int64_t expected = search == INVALID_HANDLE_VALUE ? PathAbsent : PathIsFolder;
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  EXPECT_EQ(expected, ProbePath("C:\\windows/"));
}

TEST(WindowsPaths, FileSizesAndLongPaths) {
  const std::string plugin = testing_paths::PluginPath();
  WIN32_FILE_ATTRIBUTE_DATA info;
  ASSERT_TRUE(GetFileAttributesExA(plugin.c_str(), GetFileExInfoStandard, &info));
  EXPECT_EQ(static_cast<int64_t>(info.nFileSizeLow), ProbePath(plugin.c_str()));
  const std::string longer = plugin + std::string(300, 'x');
  EXPECT_EQ(PathAbsent, ProbePath(longer.c_str()));  // its first 260 bytes name nothing
}

TEST(WindowsQuery, HugeStoredLengthCannotBeHad) {
  md::OnProcessAttach();
  FixtureResetCounts();
  const std::string fixture = testing_paths::FixturePath("fixture_misbehaving");
  EXPECT_EQ("", md::QueryPluginText(fixture.c_str(), "irPlg_GetHugeText"));
  EXPECT_EQ(1, FixtureGetterCalls());
}

TEST(WindowsQuery, NoInspectedModuleStaysLoaded) {
  md::OnProcessAttach();
  for (int i = 0; i < 50; ++i) {
    for (const char* fixture : {"fixture_plugin", "fixture_large", "fixture_misbehaving"})
      md::QueryPluginText(testing_paths::FixturePath(fixture).c_str(), "irPlg_GetPluginName");
    md::QueryPluginText(testing_paths::PluginPath().c_str(), "irPlg_GetPluginActionXML");
  }
  EXPECT_EQ(nullptr, GetModuleHandleA("fixture_plugin.dll"));
  EXPECT_EQ(nullptr, GetModuleHandleA("fixture_large.dll"));
  EXPECT_EQ(nullptr, GetModuleHandleA("fixture_misbehaving.dll"));
  EXPECT_EQ(nullptr, GetModuleHandleA("ModuleDetails.lmd"));
  EXPECT_TRUE(md::State().LoadedModules.empty());
}

}  // namespace

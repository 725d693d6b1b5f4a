// How a name is asked of the file system, through the system-call seam: one
// entry named plainly is asked for by its attributes alone, a name the
// search would spell otherwise (wildcards, a "~" short name) goes through a
// search whose handle is closed, a size keeps its high part, and a name's
// bytes are read in the code page the host set the file functions to.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_win32.h"
#include "support/test_paths.h"

namespace {

md::SystemCalls real;
int attribute_queries = 0, searches = 0, found = 0, closed = 0;
DWORD size_high = 0;

HANDLE WINAPI CountedSearch(LPCWSTR path, LPWIN32_FIND_DATAW data) {
  ++searches;
  const HANDLE search = real.find_first_file(path, data);
  if (search != INVALID_HANDLE_VALUE) {
    ++found;
    data->nFileSizeHigh = size_high;
  }
  return search;
}
BOOL WINAPI CountedClose(HANDLE search) {
  ++closed;
  return real.find_close(search);
}
BOOL WINAPI CountedAttributes(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data) {
  ++attribute_queries;
  const BOOL found = real.get_file_attributes_ex(path, level, data);
  if (found) static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(data)->nFileSizeHigh = size_high;
  return found;
}

class FileQuery : public ::testing::Test {
 protected:
  void SetUp() override {
    real = md::system_calls;
    md::system_calls.find_first_file = CountedSearch;
    md::system_calls.get_file_attributes_ex = CountedAttributes;
    md::system_calls.find_close = CountedClose;
    attribute_queries = searches = 0;
    size_high = 0;
  }
  void TearDown() override { md::system_calls = real; }

  // What find_first says of `path`: its size, or -1 when nothing is found.
  static int64_t SizeOf(const std::string& path) {
    md::FoundEntry entry = {};
    void* spelling = nullptr;
    const md::Search found = md::Os().find_first(path.c_str(), &entry, &spelling);
    md::Os().release_memory(spelling);
    return found == md::Search::kFound ? static_cast<int64_t>(entry.size) : -1;
  }
};

TEST_F(FileQuery, APlainNameIsAskedForByItsAttributesWithoutASearch) {
  const std::string plugin = testing_paths::PluginPath();
  EXPECT_LT(0, SizeOf(plugin));
  EXPECT_EQ(1, attribute_queries);
  EXPECT_EQ(0, searches);
}

TEST_F(FileQuery, AWildcardOrAShortNameIsSearchedForAndTheSearchClosed) {
  const std::string plugin = testing_paths::PluginPath();
  const std::string folder = plugin.substr(0, plugin.find_last_of('\\') + 1);
  for (const std::string& name : {folder + "ModuleDetails.l?d", folder + "MODULE~1.LMD"}) {
    searches = attribute_queries = found = closed = 0;
    SizeOf(name);  // a short name may not be found (Wine makes none on Unix file systems): asked all the same
    EXPECT_EQ(1, searches) << name;
    EXPECT_EQ(0, attribute_queries) << name;
    EXPECT_EQ(found, closed) << name << ": its search left open";
    if (name.back() == 'd') EXPECT_EQ(1, closed) << name;  // the wildcard names a file that is there
  }
}

TEST_F(FileQuery, ASizeOver4GiBKeepsItsHighPart) {
  const std::string plugin = testing_paths::PluginPath();
  const int64_t low = SizeOf(plugin);
  size_high = 1;
  EXPECT_EQ((int64_t{1} << 32) + low, SizeOf(plugin));
  const std::string folder = plugin.substr(0, plugin.find_last_of('\\') + 1);
  EXPECT_EQ((int64_t{1} << 32) + low, SizeOf(folder + "ModuleDetails.l?d"));
}

std::vector<UINT> code_pages;  // each code page a name's bytes were read in
int WINAPI NotedConversion(UINT code_page, DWORD flags, LPCCH bytes, int size, LPWSTR wide, int count) {
  code_pages.push_back(code_page);
  return real.multi_byte_to_wide_char(code_page, flags, bytes, size, wide, count);
}
BOOL WINAPI NotedLeadByte(UINT code_page, BYTE byte) {
  code_pages.push_back(code_page);
  return real.is_dbcs_lead_byte_ex(code_page, byte);
}

TEST_F(FileQuery, ANamesBytesAreReadInTheCodePageTheFileFunctionsUse) {
  md::system_calls.multi_byte_to_wide_char = NotedConversion;
  md::system_calls.is_dbcs_lead_byte_ex = NotedLeadByte;
  for (const bool oem : {true, false}) {
    if (oem) SetFileApisToOEM();
    code_pages.clear();
    md::Os().lead_byte('\x83');
    SizeOf(testing_paths::PluginPath());
    SetFileApisToANSI();
    ASSERT_FALSE(code_pages.empty());
    for (const UINT code_page : code_pages) EXPECT_EQ(oem ? UINT{CP_OEMCP} : UINT{CP_ACP}, code_page);
  }
}

}  // namespace

// Help display end to end under Wine: the real ShellExecuteA, with a recorder
// registered as the program that opens .html files and folders.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "plugin/module/plugin_exports.h"
#include "support/test_paths.h"

namespace {

void SetDefault(const std::string& key, const std::string& value) {
  HKEY handle;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr));
  RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
}

class HelpShell : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string recorder = self;
    recorder = recorder.substr(0, recorder.find_last_of('\\') + 1) + "open_recorder.exe";
    const std::string command = "\"" + recorder + "\" \"%1\"";
    SetDefault(".html", "mdtest.htmlfile");
    SetDefault("mdtest.htmlfile\\shell\\open\\command", command);
    SetDefault("Directory\\shell\\open\\command", command);
    SetDefault("Folder\\shell\\open\\command", command);
  }

  void SetUp() override {
    log_ = testing_paths::DataPath("opened.log");
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("MD_OPEN_LOG", log_.c_str());
    folder_ = testing_paths::DataPath("help_folder");
    CreateDirectoryA(folder_.c_str(), nullptr);
  }

  // What the recorder was given, waiting up to `patience` ms for it to run.
  std::string Opened(DWORD patience = 10000) {
    for (DWORD waited = 0; waited <= patience; waited += 100) {
      std::string text = testing_paths::ReadFile(log_);
      if (!text.empty()) return text;
      Sleep(100);
    }
    return "";
  }

  // Processes started from this one so far: the shell starts the recorder
  // before ShellExecuteA returns, so a call that started nothing leaves the
  // count as it was, and no wait is needed to tell.
  static DWORD ProcessesStarted() {
    static HANDLE job = [] {
      HANDLE made = CreateJobObjectA(nullptr, nullptr);
      if (made != nullptr && !AssignProcessToJobObject(made, GetCurrentProcess())) made = nullptr;
      return made;
    }();
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    if (job == nullptr ||
        !QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr))
      ADD_FAILURE() << "no job object to count the processes started";
    return info.TotalProcesses;
  }

  std::string log_, folder_;
};

TEST_F(HelpShell, AFolderWithHelpHtmlOpensIt) {
  std::ofstream(folder_ + "\\Help.html") << "<!DOCTYPE html><title>t</title>";
  EXPECT_EQ(1, irPlg_ShowHelpForPlugin(&folder_[0], nullptr));
  EXPECT_EQ(folder_ + "\\Help.html\n", Opened());
  DeleteFileA((folder_ + "\\Help.html").c_str());
}

TEST_F(HelpShell, AFolderWithoutItStartsNothing) {
  std::string empty = testing_paths::DataPath("no_help_here");
  CreateDirectoryA(empty.c_str(), nullptr);
  const DWORD before = ProcessesStarted();
  EXPECT_EQ(0, irPlg_ShowHelpForPlugin(&empty[0], nullptr));
  char action[] = "ModuleDetails.GetName";
  EXPECT_EQ(0, irPlg_ShowHelpForAction(action, &empty[0], nullptr));
  EXPECT_EQ(before, ProcessesStarted());
  // The count sees a start: the page's folder given, the recorder starts.
  std::ofstream(folder_ + "\\Help.html") << "<!DOCTYPE html><title>t</title>";
  EXPECT_EQ(1, irPlg_ShowHelpForPlugin(&folder_[0], nullptr));
  EXPECT_LT(before, ProcessesStarted());
  EXPECT_EQ(folder_ + "\\Help.html\n", Opened());
  DeleteFileA((folder_ + "\\Help.html").c_str());
}

TEST_F(HelpShell, AFolderNamedHelpHtmlIsHandedToTheShell) {
  std::string odd = testing_paths::DataPath("odd_help");
  CreateDirectoryA(odd.c_str(), nullptr);
  CreateDirectoryA((odd + "\\Help.html").c_str(), nullptr);
  EXPECT_EQ(1, irPlg_ShowHelpForPlugin(&odd[0], nullptr));
  EXPECT_NE("", Opened());
}

TEST_F(HelpShell, ActionHelpOpensThePluginPage) {
  std::ofstream(folder_ + "\\Help.html") << "<!DOCTYPE html><title>t</title>";
  char action[] = "ModuleDetails.GetInfo";
  EXPECT_EQ(1, irPlg_ShowHelpForAction(action, &folder_[0], nullptr));
  EXPECT_EQ(folder_ + "\\Help.html\n", Opened());
  DeleteFileA((folder_ + "\\Help.html").c_str());
}

TEST_F(HelpShell, NullFolderProbesTheCurrentDriveRoot) {
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(folder_.c_str());  // "\Help.html" is then at the root of Z:
  const DWORD root = GetFileAttributesA("\\Help.html");
  EXPECT_EQ(root == INVALID_FILE_ATTRIBUTES ? 0 : 1, irPlg_ShowHelpForPlugin(nullptr, nullptr));
  SetCurrentDirectoryA(previous);
}

}  // namespace

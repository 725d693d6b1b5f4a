// The path probe: real files and folders, and a substitute seam for what
// cannot be made real here (drive types, share roots, 4 GiB sizes).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "plugin/inspect/plugin_query.h"
#include "support/substitute_os.h"
#include "support/test_paths.h"

namespace {

using md::kPathAbsent;
using md::kPathIsFolder;
using md::ProbePath;

TEST(PathProbe, NullAndEmptyAreAbsent) {
  SubstituteOs os;
  os.AnswerSearch(true, {0, 5});
  EXPECT_EQ(kPathAbsent, ProbePath(nullptr));
  EXPECT_EQ(kPathAbsent, ProbePath(""));
  EXPECT_TRUE(os.asked.empty());
}

TEST(PathProbe, DriveRootsAskOnlyTheDriveType) {
  SubstituteOs os;
  os.AnswerSearch(true, {0, 5});
  os.AnswerDrives(3);  // DRIVE_FIXED
  EXPECT_EQ(kPathIsFolder, ProbePath("C:"));
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\"));
  EXPECT_EQ(kPathIsFolder, ProbePath("5:/"));  // the letter is not examined
  EXPECT_EQ((std::vector<std::string>{"drive:C:\\", "drive:C:\\", "drive:5:/"}), os.asked);
  for (unsigned type : {2u, 4u, 5u, 6u}) {  // removable, remote, optical, RAM disk
    os.AnswerDrives(type);
    EXPECT_EQ(kPathIsFolder, ProbePath("E:")) << type;
  }
  for (unsigned type : {0u, 1u}) {  // unknown, no root
    os.AnswerDrives(type);
    EXPECT_EQ(kPathAbsent, ProbePath("Q:")) << type;
  }
  // "Z:q" is the file q in drive Z's folder, not a root.
  os.asked.clear();
  EXPECT_EQ(5, ProbePath("Z:q"));
  EXPECT_EQ((std::vector<std::string>{"find:Z:q"}), os.asked);
}

TEST(PathProbe, TrailingSeparatorsOfEitherKindGo) {
  SubstituteOs os;
  os.AnswerSearch(true, {md::kAttributeDirectory, 0});
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\Windows\\\\"));
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\Windows"));
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\Windows/"));
  EXPECT_EQ(kPathIsFolder, ProbePath("C:\\Windows\\/\\"));
  EXPECT_EQ((std::vector<std::string>(4, "find:C:\\Windows")), os.asked);
  os.asked.clear();
  EXPECT_EQ(kPathAbsent, ProbePath("\\\\\\\\"));  // nothing but separators
  EXPECT_EQ(kPathAbsent, ProbePath("//"));
  EXPECT_TRUE(os.asked.empty());
}

// In a double-byte code page a character's second byte may be 0x5C, a
// backslash: it is part of the name, and only separators after the last
// character go (Shift-JIS here: ソ is 83 5C, 表 is 95 5C).
TEST(PathProbe, TheSecondByteOfADoubleByteCharacterIsNoSeparator) {
  SubstituteOs os;
  os.AnswerSearch(true, {0, 5});
  SubstituteOs::os().lead_byte = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
  };
  for (const char* path : {"C:\\A\x83\x5C", "C:\\A\x83\x5C\\", "C:\\A\x83\x5C/", "C:\\A\x83\x5C\\/\\"})
    EXPECT_EQ(5, ProbePath(path)) << path;
  EXPECT_EQ(5, ProbePath("\\\\?\\C:\\B\x95\x5C\\"));
  EXPECT_EQ(5, ProbePath("\x95\x5C\x95\x5C"));  // two such characters, nothing else
  EXPECT_EQ(5, ProbePath("C:\\A\\\x83"));       // a lead byte with nothing after it is a character
  EXPECT_EQ(
      (std::vector<std::string>{"find:C:\\A\x83\x5C", "find:C:\\A\x83\x5C", "find:C:\\A\x83\x5C", "find:C:\\A\x83\x5C",
                                "find:\\\\?\\C:\\B\x95\x5C", "find:\x95\x5C\x95\x5C", "find:C:\\A\\\x83"}),
      os.asked);
}

TEST(PathProbe, SizesUseAllSixtyFourBits) {
  SubstituteOs os;
  os.AnswerSearch(true, {0x20, 1ull << 32});
  EXPECT_EQ(4294967296LL, ProbePath("big.bin"));  // low 32 bits zero, still not empty
  os.AnswerSearch(true, {0x20, 0x7FFFFFFFFull});
  EXPECT_EQ(0x7FFFFFFFFLL, ProbePath("bigger.bin"));
  os.AnswerSearch(true, {0x20, 0});
  EXPECT_EQ(0, ProbePath("empty.bin"));
}

TEST(PathProbe, ShareRootsFallBackToAttributes) {
  SubstituteOs os;
  os.AnswerSearch(false, {});
  os.AnswerAttributes(md::kAttributeDirectory | 0x1);
  EXPECT_EQ(kPathIsFolder, ProbePath("\\\\server\\share\\"));
  EXPECT_EQ((std::vector<std::string>{"find:\\\\server\\share", "attributes:\\\\server\\share"}), os.asked);
  os.AnswerAttributes(0x20);
  EXPECT_EQ(kPathAbsent, ProbePath("\\\\server\\file"));
  os.AnswerAttributes(md::kInvalidAttributes);
  EXPECT_EQ(kPathAbsent, ProbePath("\\\\server\\gone"));
  os.asked.clear();
  os.AnswerAttributes(md::kAttributeDirectory);
  EXPECT_EQ(kPathAbsent, ProbePath("\\single\\lead"));  // not a network name
  EXPECT_EQ(1u, os.asked.size());
}

TEST(PathProbe, TheHelpDisplayCutsLongPathsTo260BytesTheActionsProbeThemWhole) {
  SubstituteOs os;
  os.AnswerSearch(true, {0x20, 9});
  const std::string path = std::string(300, 'p') + "\\";
  EXPECT_EQ(9, ProbePath(path.c_str()));
  EXPECT_EQ("find:" + std::string(260, 'p'), os.asked.at(0));

  // The actions' probe sees every byte, and leaves the spelling it found.
  os.asked.clear();
  const std::string spelled = "x.dll" + std::string(300, '\\') + "zz\\\\";
  md::OwnedText text;
  ASSERT_TRUE(md::CopyText(spelled.data(), spelled.size(), &text));
  void* spelling = nullptr;
  EXPECT_EQ(9, md::ProbeFile(&text, &spelling));
  EXPECT_EQ("find:" + spelled.substr(0, spelled.size() - 2), os.asked.at(0));
  EXPECT_EQ(spelled.substr(0, spelled.size() - 2), std::string(text.bytes, text.length));
  EXPECT_STREQ(("spelled:" + spelled.substr(0, spelled.size() - 2)).c_str(), static_cast<char*>(spelling));
  md::Os().release_memory(spelling);
  md::ReleaseText(&text);
  ASSERT_TRUE(md::CopyText("\\\\", 2, &text));
  EXPECT_EQ(kPathAbsent, md::ProbeFile(&text, &spelling));
  EXPECT_EQ(nullptr, text.bytes) << "a path of backslashes alone leaves nothing to load";
  EXPECT_EQ(nullptr, spelling);
}

// Only a file leaves a spelling to load, and a shortage of memory during the
// search is the actions' to raise, never "nothing there".
TEST(PathProbe, OnlyFilesLeaveASpellingAndAShortageIsNoAbsence) {
  SubstituteOs os;
  os.CountAllocations();
  md::OwnedText text;
  void* spelling = nullptr;
  ASSERT_TRUE(md::CopyText("dir", 3, &text));
  os.AnswerSearch(true, {md::kAttributeDirectory, 0});
  EXPECT_EQ(kPathIsFolder, md::ProbeFile(&text, &spelling));
  EXPECT_EQ(nullptr, spelling);
  EXPECT_EQ(1, os.blocks_held) << "a folder's spelling was kept";
  os.AnswerSearch(false, {}, md::Search::kNoMemory);
  EXPECT_EQ(md::kPathNoMemory, md::ProbeFile(&text, &spelling));
  EXPECT_EQ(kPathAbsent, ProbePath("dir"));
  md::ReleaseText(&text);
  EXPECT_EQ(0, os.blocks_held);
}

// Real files and folders, on whichever platform runs the test.
class RealPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(testing_paths::DataPath("empty.bin"), std::ios::binary).close();
    std::ofstream(testing_paths::DataPath("seven.bin"), std::ios::binary) << "1234567";
  }
};

TEST_F(RealPaths, FilesGiveTheirSizeFoldersAndMissingPathsTheirCodes) {
  EXPECT_EQ(0, ProbePath(testing_paths::DataPath("empty.bin").c_str()));
  EXPECT_EQ(7, ProbePath(testing_paths::DataPath("seven.bin").c_str()));
  EXPECT_EQ(kPathAbsent, ProbePath(testing_paths::DataPath("no such file").c_str()));
  const std::string folder = testing_paths::DataPath("");
  EXPECT_EQ(kPathIsFolder, ProbePath(folder.substr(0, folder.size() - 1).c_str()));
}

// As the system's file search takes them: in the last name alone; one in a
// folder's name finds nothing (and walks no tree).
TEST_F(RealPaths, WildcardsFindTheFirstMatchInTheLastNameAlone) {
  EXPECT_EQ(7, ProbePath(testing_paths::DataPath("sev*.bin").c_str()));
  EXPECT_EQ(7, ProbePath(testing_paths::DataPath("seve?.bin").c_str()));
  EXPECT_EQ(kPathAbsent, ProbePath(testing_paths::DataPath("nothing*.bin").c_str()));
  const std::string folder = testing_paths::DataPath("");
  const std::string parent = folder.substr(0, folder.find_last_of("\\/", folder.size() - 2) + 1);
  const std::string name = folder.substr(parent.size());  // "data/"
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(7, ProbePath((parent + name + "seven.bin").c_str()));
  EXPECT_EQ(kPathAbsent, ProbePath((parent + name.substr(0, name.size() - 2) + "*/seven.bin").c_str()));
}

}  // namespace

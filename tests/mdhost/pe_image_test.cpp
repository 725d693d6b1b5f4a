// Reading module files without running them: damaged bytes never read past
// the file, and the 64-bit kind is told apart.
#include <gtest/gtest.h>

#include <string>

#include "mdhost/examine/pe_image.h"

namespace {

using host::ModuleKind;
using host::ReadModuleImage;

// The smallest PE header: MZ, the offset of "PE", the file header, the
// optional header's magic.
std::string Header(uint16_t machine, uint16_t magic) {
  std::string bytes(0x40 + 24 + 2, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[0x3C] = 0x40;
  bytes.replace(0x40, 4, std::string("PE\0\0", 4));
  bytes[0x44] = static_cast<char>(machine & 0xFF);
  bytes[0x45] = static_cast<char>(machine >> 8);
  bytes[0x40 + 24] = static_cast<char>(magic & 0xFF);
  bytes[0x40 + 25] = static_cast<char>(magic >> 8);
  return bytes;
}

TEST(PeImage, KindsFromTheHeaders) {
  EXPECT_EQ(ModuleKind::kModule64, ReadModuleImage(Header(0x8664, 0x20B)).kind);
  EXPECT_EQ(ModuleKind::kModule32, ReadModuleImage(Header(0x14C, 0x10B)).kind);
  EXPECT_EQ(ModuleKind::kOtherModule, ReadModuleImage(Header(0x1C4, 0x10B)).kind);
  EXPECT_EQ(ModuleKind::kNotAModule, ReadModuleImage("plain text, not a module\r\n").kind);
  EXPECT_FALSE(ReadModuleImage(Header(0x14C, 0x10B)).IsPluginModule());
}

TEST(PeImage, DamagedFilesAreReadSafely) {
  const std::string whole = Header(0x14C, 0x10B);
  for (std::size_t size = 0; size < whole.size(); ++size)
    EXPECT_EQ(ModuleKind::kNotAModule, ReadModuleImage(whole.substr(0, size)).kind) << size;
  std::string distant = whole;
  distant[0x3C] = '\xFF';
  distant[0x3F] = '\xFF';  // the PE header would lie 4 GiB away
  EXPECT_EQ(ModuleKind::kNotAModule, ReadModuleImage(distant).kind);
}

}  // namespace

namespace {

// The hint names the export the message is about, in the decoration it has:
// C++Builder's underscore, or a __stdcall name's; nothing for plain names.
TEST(PeImage, TheDecoratedExportHintNamesTheExportAskedFor) {
  host::ModuleImage image;
  image.exports = {"_irPlg_GetAuthorInfo@8", "_irPlg_GetPluginName@8", "_irPlg_Action_RegisterActions@4"};
  EXPECT_NE(std::string::npos, image.DecoratedExportHint().find("it exports _irPlg_GetPluginName@8: a __stdcall"));
  EXPECT_NE(std::string::npos,
            image.DecoratedExportHint("irPlg_Action_RegisterActions").find("_irPlg_Action_RegisterActions@4"));
  image.exports = {"_irPlg_GetAuthorInfo", "_irPlg_GetPluginName"};
  EXPECT_NE(std::string::npos, image.DecoratedExportHint().find(
                                   "it exports _irPlg_GetPluginName: a cdecl name with the leading underscore"));
  EXPECT_NE(std::string::npos, image.DecoratedExportHint().find("(irPlg_GetPluginName=_irPlg_GetPluginName)"));
  // Another irPlg_ export decorated still explains a missing one.
  image.exports = {"_irPlg_GetAuthorInfo"};
  EXPECT_NE(std::string::npos, image.DecoratedExportHint().find("_irPlg_GetAuthorInfo"));
  image.exports = {"irPlg_GetPluginName", "_helper", "Other@4"};
  EXPECT_EQ("", image.DecoratedExportHint());
}

}  // namespace

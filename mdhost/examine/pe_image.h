// What a Windows module file says about itself, read from its bytes without
// running any of its code: its kind, its exported names and the version
// strings of its version resource. Every read is checked against the file's
// size, so any file, however damaged, can be given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

enum class ModuleKind {
  kNotAModule,  // no PE image at all
  kModule32,    // a 32-bit (PE32, x86) image
  kModule64,    // a 64-bit (PE32+) image
  kOtherModule  // a PE image for another machine
};

struct ModuleImage {
  ModuleKind kind = ModuleKind::kNotAModule;
  std::vector<std::string> exports;  // exported names, as stored
  std::vector<std::string> imports;  // the modules it imports from, as named
  std::string file_version;          // "FileVersion" (UTF-8), else the numeric one; "" when none
  std::string product_version;       // likewise "ProductVersion"
  // Each of the four on its own ("" where absent): the string table's texts,
  // and the numbers of the fixed part ("1.2.0.0").
  std::string file_version_string, product_version_string, file_version_number, product_version_number;
  // Where it asks to be loaded, and whether it can go elsewhere: without
  // relocations (/FIXED, stripped) a taken base is a failed load.
  uint32_t preferred_base = 0, image_size = 0;
  bool relocatable = true;

  bool Exports(const std::string& name) const;
  // A 32-bit module exporting the host's name getter.
  bool IsPluginModule() const;
  // " (it exports _irPlg_GetPluginName@8: ...)" where the export `wanted`
  // (or, failing that, another irPlg_ name) reached the export table
  // decorated, the usual cause of "not a plugin": a __stdcall name (@N), or
  // a cdecl name with its leading underscore kept (C++Builder's); else "".
  std::string DecoratedExportHint(const std::string& wanted = "irPlg_GetPluginName") const;
  // Why the host cannot use it as a plugin ("a 64-bit module: ..."), or ""
  // for a plugin module or a file that is no module at all.
  std::string WhyNoPlugin() const;
};

// Reads the module image in `bytes` (a whole file).
ModuleImage ReadModuleImage(const std::string& bytes);

// Reads the file at `path` (only its first bytes unless they start a PE image).
ModuleImage ReadModuleFile(const std::string& path);

}  // namespace host

#include "mdhost/examine/pe_image.h"
#include "mdhost/contract/plugin_texts.h"

#include "mdhost/system/encoding.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace host {
namespace {

constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kExportDirectory = 0;
constexpr uint32_t kImportDirectory = 1;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kRelocationDirectory = 5;
constexpr uint32_t kRelocationsStripped = 0x0001;  // IMAGE_FILE_RELOCS_STRIPPED
constexpr uint32_t kVersionResource = 16;          // RT_VERSION
constexpr std::size_t kMaxFileSize = 256u << 20;

// Little-endian reads that fail instead of reading past the end.
class Bytes {
 public:
  explicit Bytes(const std::string& data) : data_(data) {}
  std::size_t size() const { return data_.size(); }
  bool Has(uint64_t offset, uint64_t count) const { return offset <= size() && count <= size() - offset; }
  bool U16(uint64_t offset, uint32_t* out) const { return Read(offset, 2, out); }
  bool U32(uint64_t offset, uint32_t* out) const { return Read(offset, 4, out); }
  // A NUL-terminated byte string starting at `offset`.
  bool CString(uint64_t offset, std::string* out) const {
    if (!Has(offset, 1)) return false;
    const std::size_t end = data_.find('\0', static_cast<std::size_t>(offset));
    if (end == std::string::npos) return false;
    out->assign(data_, static_cast<std::size_t>(offset), end - static_cast<std::size_t>(offset));
    return true;
  }

 private:
  bool Read(uint64_t offset, int count, uint32_t* out) const {
    if (!Has(offset, static_cast<uint64_t>(count))) return false;
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
      value = (value << 8) | static_cast<unsigned char>(data_[static_cast<std::size_t>(offset) + i]);
    *out = value;
    return true;
  }
  const std::string& data_;
};

struct Section {
  uint32_t virtual_address, virtual_size, raw_offset, raw_size;
};

class Image {
 public:
  explicit Image(const std::string& data) : bytes_(data) {}

  ModuleKind ReadHeaders() {
    uint32_t mz = 0, pe_offset = 0, signature = 0, machine = 0, sections = 0, optional_size = 0, magic = 0;
    if (!bytes_.U16(0, &mz) || mz != 0x5A4D || !bytes_.U32(0x3C, &pe_offset)) return ModuleKind::kNotAModule;
    const uint64_t pe = pe_offset;
    if (!bytes_.U32(pe, &signature) || signature != 0x4550 || !bytes_.U16(pe + 4, &machine) ||
        !bytes_.U16(pe + 6, &sections) || !bytes_.U16(pe + 20, &optional_size) || !bytes_.U16(pe + 24, &magic))
      return ModuleKind::kNotAModule;
    const uint64_t optional = pe + 24;
    if (magic == kMagicPe32Plus) return ModuleKind::kModule64;
    if (magic != kMagicPe32) return ModuleKind::kNotAModule;
    if (machine != kMachineI386) return ModuleKind::kOtherModule;
    uint32_t characteristics = 0;
    bytes_.U16(pe + 22, &characteristics);
    bytes_.U32(optional + 28, &preferred_base_);
    bytes_.U32(optional + 56, &image_size_);
    uint32_t directories = 0;
    bytes_.U32(optional + 92, &directories);
    for (uint32_t i = 0; i < directories && i < 16 && 96 + 8 * (i + 1) <= optional_size; ++i) {
      uint32_t address = 0, size = 0;
      if (bytes_.U32(optional + 96 + 8 * i, &address) && bytes_.U32(optional + 100 + 8 * i, &size))
        directories_[i] = {address, size};
    }
    relocatable_ = (characteristics & kRelocationsStripped) == 0 && directories_[kRelocationDirectory].size != 0;
    const uint64_t table = optional + optional_size;
    for (uint32_t i = 0; i < sections && i < 96; ++i) {
      Section s{};
      const uint64_t at = table + 40ull * i;
      if (!bytes_.U32(at + 8, &s.virtual_size) || !bytes_.U32(at + 12, &s.virtual_address) ||
          !bytes_.U32(at + 16, &s.raw_size) || !bytes_.U32(at + 20, &s.raw_offset))
        break;
      sections_.push_back(s);
    }
    return ModuleKind::kModule32;
  }

  // Where the headers ask it to be loaded, and whether it can go elsewhere.
  void TellPlacement(ModuleImage* image) const {
    image->preferred_base = preferred_base_;
    image->image_size = image_size_;
    image->relocatable = relocatable_;
  }

  std::vector<std::string> ExportNames() const {
    std::vector<std::string> names;
    uint64_t dir = 0;
    uint32_t count = 0, names_rva = 0;
    if (!Offset(directories_[kExportDirectory].address, &dir) || !bytes_.U32(dir + 24, &count) ||
        !bytes_.U32(dir + 32, &names_rva))
      return names;
    uint64_t table = 0;
    if (!Offset(names_rva, &table)) return names;
    for (uint32_t i = 0; i < count && i < 65536; ++i) {
      uint32_t name_rva = 0;
      uint64_t at = 0;
      std::string name;
      if (!bytes_.U32(table + 4ull * i, &name_rva)) break;
      if (Offset(name_rva, &at) && bytes_.CString(at, &name)) names.push_back(name);
    }
    return names;
  }

  // The names of the modules it imports from, in the order of its import table.
  std::vector<std::string> ImportNames() const {
    std::vector<std::string> names;
    uint64_t descriptor = 0;
    if (!Offset(directories_[kImportDirectory].address, &descriptor)) return names;
    for (int i = 0; i < 4096; ++i, descriptor += 20) {  // IMAGE_IMPORT_DESCRIPTOR, all zero at the end
      uint32_t name_rva = 0, thunks = 0;
      if (!bytes_.U32(descriptor + 12, &name_rva) || !bytes_.U32(descriptor + 16, &thunks)) break;
      if (name_rva == 0 && thunks == 0) break;
      uint64_t at = 0;
      std::string name;
      if (Offset(name_rva, &at) && bytes_.CString(at, &name)) names.push_back(name);
    }
    return names;
  }

  // The data of the first RT_VERSION resource, or "".
  std::string VersionResource(const std::string& file) const {
    uint64_t root = 0;
    if (!Offset(directories_[kResourceDirectory].address, &root)) return "";
    // type -> name -> language: three levels, each taking the first fitting entry.
    uint64_t node = root;
    for (int level = 0; level < 3; ++level) {
      uint32_t named = 0, ids = 0;
      if (!bytes_.U16(node + 12, &named) || !bytes_.U16(node + 14, &ids)) return "";
      bool found = false;
      for (uint32_t i = 0; i < named + ids && i < 4096; ++i) {
        uint32_t id = 0, target = 0;
        if (!bytes_.U32(node + 16 + 8ull * i, &id) || !bytes_.U32(node + 20 + 8ull * i, &target)) return "";
        if (level == 0 && id != kVersionResource) continue;
        const bool is_directory = (target & 0x80000000u) != 0;
        if (is_directory != (level < 2)) return "";
        node = root + (target & 0x7FFFFFFFu);
        found = true;
        break;
      }
      if (!found) return "";
    }
    uint32_t rva = 0, size = 0;
    uint64_t at = 0;
    if (!bytes_.U32(node, &rva) || !bytes_.U32(node + 4, &size) || !Offset(rva, &at) || !bytes_.Has(at, size))
      return "";
    return file.substr(static_cast<std::size_t>(at), size);
  }

 private:
  // File offset of a relative virtual address.
  bool Offset(uint32_t rva, uint64_t* out) const {
    if (rva == 0) return false;
    for (const Section& s : sections_) {
      const uint32_t span = std::max(s.virtual_size, s.raw_size);
      if (rva >= s.virtual_address && rva - s.virtual_address < span) {
        const uint64_t delta = rva - s.virtual_address;
        if (delta >= s.raw_size) return false;
        *out = s.raw_offset + delta;
        return bytes_.Has(*out, 1);
      }
    }
    return false;
  }

  struct Directory {
    uint32_t address, size;
  };
  Bytes bytes_;
  uint32_t preferred_base_ = 0, image_size_ = 0;
  bool relocatable_ = true;
  Directory directories_[16] = {};
  std::vector<Section> sections_;
};

// Reads a NUL-terminated UTF-16LE string at `at`, no further than `end`, as
// UTF-8; `*after` is the offset just past its terminator.
std::string Utf16(const Bytes& bytes, uint64_t at, uint64_t end, uint64_t* after) {
  std::string text;
  uint32_t unit = 0;
  while (at + 2 <= end && bytes.U16(at, &unit) && unit != 0) {
    at += 2;
    uint32_t code = unit;
    uint32_t low = 0;
    if (unit >= 0xD800 && unit < 0xDC00 && at + 2 <= end && bytes.U16(at, &low) && low >= 0xDC00 && low < 0xE000) {
      code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      at += 2;
    } else if (unit >= 0xD800 && unit < 0xE000) {
      code = 0xFFFD;
    }
    AppendUtf8(code, &text);
  }
  *after = at + 2;
  return text;
}

uint64_t Align4(uint64_t offset) { return (offset + 3) & ~uint64_t{3}; }

// One block of a version resource: length, value length, type, key, then
// (aligned) the value and the children.
struct Block {
  uint64_t start, end;  // the whole block
  uint32_t value_length, type;
  std::string key;
  uint64_t value;  // where the value starts
};

bool ReadBlock(const Bytes& bytes, uint64_t at, uint64_t limit, Block* block) {
  uint32_t length = 0;
  if (!bytes.U16(at, &length) || length < 6 || at + length > limit || !bytes.U16(at + 2, &block->value_length) ||
      !bytes.U16(at + 4, &block->type))
    return false;
  block->start = at;
  block->end = at + length;
  uint64_t after_key = 0;
  block->key = Utf16(bytes, at + 6, block->end, &after_key);
  block->value = Align4(after_key);
  return true;
}

// The children of `parent`: blocks after its value, each 4-byte aligned.
std::vector<Block> Children(const Bytes& bytes, const Block& parent, uint64_t value_bytes) {
  std::vector<Block> children;
  Block child;
  for (uint64_t at = Align4(parent.value + value_bytes); at < parent.end; at = Align4(child.end)) {
    if (!ReadBlock(bytes, at, parent.end, &child)) break;
    children.push_back(child);
  }
  return children;
}

void ReadVersionStrings(const std::string& resource, ModuleImage* image) {
  const Bytes bytes(resource);
  Block root;
  if (!ReadBlock(bytes, 0, resource.size(), &root) || root.key != "VS_VERSION_INFO") return;
  uint32_t signature = 0, ms = 0, ls = 0, pms = 0, pls = 0;
  if (root.value_length >= 52 && bytes.U32(root.value, &signature) && signature == 0xFEEF04BD &&
      bytes.U32(root.value + 8, &ms) && bytes.U32(root.value + 12, &ls) && bytes.U32(root.value + 16, &pms) &&
      bytes.U32(root.value + 20, &pls)) {
    auto numeric = [](uint32_t high, uint32_t low) {
      return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16) + "." +
             std::to_string(low & 0xFFFF);
    };
    image->file_version = image->file_version_number = numeric(ms, ls);
    image->product_version = image->product_version_number = numeric(pms, pls);
  }
  for (const Block& info : Children(bytes, root, root.value_length)) {
    if (info.key != "StringFileInfo") continue;
    for (const Block& table : Children(bytes, info, 0)) {
      for (const Block& entry : Children(bytes, table, 0)) {
        // The value length counts UTF-16 units for text values.
        const uint64_t value_end = std::min<uint64_t>(entry.end, entry.value + 2ull * entry.value_length);
        uint64_t ignored = 0;
        const std::string value = Utf16(bytes, entry.value, value_end, &ignored);
        if (entry.key == "FileVersion") image->file_version = image->file_version_string = value;
        if (entry.key == "ProductVersion") image->product_version = image->product_version_string = value;
      }
      return;  // the first string table speaks for the module
    }
  }
}

}  // namespace

bool ModuleImage::Exports(const std::string& name) const {
  return std::find(exports.begin(), exports.end(), name) != exports.end();
}

bool ModuleImage::IsPluginModule() const { return kind == ModuleKind::kModule32 && Exports(kNameGetter); }

namespace {

// The name an export has without its decoration: "_irPlg_X@8" -> "irPlg_X".
std::string Undecorated(const std::string& name) {
  std::string plain = name.substr(0, name.find('@'));
  if (!plain.empty() && plain[0] == '_') plain.erase(0, 1);
  return plain;
}

}  // namespace

// The host looks for the plain names; a decorated one is why it finds none.
std::string ModuleImage::DecoratedExportHint(const std::string& wanted) const {
  const std::string* decorated = nullptr;
  for (const std::string& name : exports) {
    if (name == Undecorated(name) || Undecorated(name).rfind("irPlg_", 0) != 0) continue;
    if (Undecorated(name) == wanted) {
      decorated = &name;
      break;
    }
    if (decorated == nullptr) decorated = &name;
  }
  if (decorated == nullptr) return "";
  const std::string& name = *decorated;
  if (name.find('@') != std::string::npos)
    return " (it exports " + name +
           ": a __stdcall name, decorated; declare the exports cdecl and export them by a module definition file)";
  return " (it exports " + name + ": a cdecl name with the leading underscore C++Builder's and some other linkers " +
         "keep; export the plain name by a module definition file (" + Undecorated(name) + "=" + name +
         "), or link without the underscore)";
}

ModuleImage ReadModuleImage(const std::string& bytes) {
  ModuleImage image;
  Image pe(bytes);
  image.kind = pe.ReadHeaders();
  if (image.kind != ModuleKind::kModule32) return image;
  image.exports = pe.ExportNames();
  image.imports = pe.ImportNames();
  pe.TellPlacement(&image);
  ReadVersionStrings(pe.VersionResource(bytes), &image);
  return image;
}

ModuleImage ReadModuleFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(4096, '\0');
  in.read(&head[0], static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  ModuleImage image = ReadModuleImage(head);
  if (image.kind == ModuleKind::kNotAModule) return image;
  in.clear();
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size <= 0 || static_cast<uint64_t>(size) > kMaxFileSize) return image;
  std::string whole(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  in.read(&whole[0], size);
  whole.resize(static_cast<std::size_t>(in.gcount()));
  return ReadModuleImage(whole);
}

std::string ModuleImage::WhyNoPlugin() const {
  switch (kind) {
    case ModuleKind::kModule64: return "a 64-bit module: the host is a 32-bit program";
    case ModuleKind::kOtherModule: return "a module for another kind of processor";
    case ModuleKind::kModule32:
      return IsPluginModule() ? ""
                              : std::string("a module that exports no irPlg_GetPluginName") + DecoratedExportHint();
    default: return "";
  }
}

}  // namespace host

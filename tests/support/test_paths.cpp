#include "test_paths.h"

#include <fstream>
#include <sstream>

namespace testing_paths {

#ifdef _WIN32
static const char kSeparator[] = "\\";
static const char kSuffix[] = ".dll";
#else
static const char kSeparator[] = "/";
static const char kSuffix[] = ".so";
#endif

static std::string Native(std::string path) {
  for (char& c : path)
    if (c == '/') c = kSeparator[0];
  return path;
}

std::string PluginPath() { return Native(MD_PLUGIN_PATH); }
std::string FixturePath(const std::string& name) { return Native(MD_FIXTURE_DIR) + kSeparator + name + kSuffix; }
std::string DataPath(const std::string& name) { return Native(MD_DATA_DIR) + kSeparator + name; }
std::string DocumentPath() { return Native(MD_DOCUMENT_PATH); }
std::string SourcePath(const std::string& relative) { return Native(std::string(MD_SOURCE_DIR) + "/" + relative); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace testing_paths

#include "substitute_os.h"
SubstituteOs* SubstituteOs::current_ = nullptr;

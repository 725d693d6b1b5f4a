// The plugin text query as tests like to read it: a std::string, with the
// module's own text released at once.
#pragma once

#include <string>

#include "plugin/inspect/plugin_query.h"

inline std::string QueryText(const std::string& file, const char* getter) {
  md::OwnedText text;
  if (!md::QueryPluginText(file.c_str(), getter, &text)) return "(out of memory)";
  std::string copy(md::TextOf(text), text.length);
  md::ReleaseText(&text);
  return copy;
}

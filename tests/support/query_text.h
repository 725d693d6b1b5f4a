// The plugin text query as tests like to read it: a file's spelling as the
// probe makes it, a std::string, with the module's own text released at once.
#pragma once

#include <string>

#include "platform/platform.h"
#include "plugin/inspect/plugin_query.h"

inline std::string QueryText(const std::string& file, const char* getter) {
  md::OwnedText text;
  md::FoundEntry entry;
  void* spelling = nullptr;
  md::Os().find_first(file.c_str(), &entry, &spelling);
  md::QueryHold hold = {};
  const bool enough_memory = md::QueryPluginText(spelling, getter, &hold, &text);
  md::Os().release_memory(spelling);
  if (!enough_memory) return "(out of memory)";
  std::string copy(md::TextOf(text), text.length);
  md::ReleaseText(&text);
  return copy;
}

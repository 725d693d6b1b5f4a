// The output formats, one registry: each format's name, what it writes, the
// words --help says of it, and how it is made. The command line takes
// --format from here, --help lists it from here, and a command hands its
// output to what is made here. A new format is a file of its own (its
// Emitter) and a row here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mdhost/report/emitter.h"

namespace host {

// What a command has to show, as bits of a format's entry.
enum FormatUse : unsigned {
  kForReports = 1,  // info, check, scan
  kForDiff = 2,     // diff
  kForPage = 4      // doc
};

struct Format {
  const char* name;
  unsigned uses;     // FormatUse bits
  bool is_default;   // for its uses
  const char* help;  // "one UTF-8 object", for --help
  std::unique_ptr<Emitter> (*make)(const OutputOptions& options);
};

const std::vector<Format>& Formats();
// The format of that name for `use`; null for none.
const Format* FindFormat(const std::string& name, FormatUse use);
const Format& DefaultFormat(FormatUse use);
// "text, json, sarif or github": the names a use takes.
std::string FormatNames(FormatUse use);
// What --help says of --format: each use's formats with their words.
std::string FormatHelp();
// The same for one use: the formats one command takes.
std::string FormatHelp(FormatUse use);

}  // namespace host

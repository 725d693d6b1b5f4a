// Which release a new version is, judged from the plugin's version texts as
// dotted numbers ("1.4" -> "2.0" is a major release), or stated by the
// author (--release-type): a change that breaks scripts needs a major one.
#pragma once

#include <optional>
#include <string>

namespace host {

enum class Bump { kNone, kPatch, kMinor, kMajor };

const char* BumpName(Bump bump);  // "none", "patch", "minor", "major"
std::optional<Bump> BumpNamed(const std::string& name);
// The release from `old_version` to `new_version`: the first number that
// differs says which (a lower one: none). No answer where either text is no
// dotted number ("2.0 beta").
std::optional<Bump> BumpBetween(const std::string& old_version, const std::string& new_version);

}  // namespace host

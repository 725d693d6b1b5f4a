// The action template document, embedded by the build from
// plugin/resources/action_templates.xml with its bytes unchanged.
#pragma once

#include <cstddef>

namespace md {

const char* ActionTemplateDocument();      // NUL-terminated
std::size_t ActionTemplateDocumentSize();  // without the terminator

}  // namespace md

// The one UTF-8 encoder and the one Windows-1252 table (the native build's
// stand-in for the ANSI code page; on Windows the system's own is used).
#pragma once

#include <cstdint>
#include <string>

namespace host {

void AppendUtf8(uint32_t code_point, std::string* out);

// A Windows-1252 byte's code point; the five unassigned bytes read as the C1
// controls Windows turns them into.
uint32_t Windows1252(unsigned char byte);

}  // namespace host

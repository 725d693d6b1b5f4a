// The text getter protocol as callee: every plugin of the host answers its
// five text exports this way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace md {

// Writes `length` bytes of `text` and a NUL into `buffer` when `*size` (which
// never counts the terminator) is at least the length, and returns the length.
// Otherwise stores the length in `*size`, writes nothing and returns -1.
int32_t ServeText(const char* text, std::size_t length, char* buffer, int32_t* size) noexcept;

}  // namespace md

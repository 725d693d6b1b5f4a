// The text getter protocol that every plugin of the host offers through its
// five text exports: a buffer, and a size that in states how many text bytes
// the buffer takes (never counting the terminator) and out, with the result
// -1, tells the text's length.
#pragma once

#include <cstddef>
#include <cstdint>

namespace md {

using TextGetter = int32_t (*)(char* buffer, int32_t* size);  // cdecl

// The callee's side: writes `length` bytes of `text` and a NUL into `buffer`
// when `*size` is at least the length, and returns the length. Otherwise
// stores the length in `*size`, writes nothing and returns -1.
int32_t ServeText(const char* text, std::size_t length, char* buffer, int32_t* size) noexcept;

}  // namespace md

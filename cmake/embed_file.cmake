# cmake -DINPUT=file -DOUTPUT=file.cpp -P embed_file.cmake
# Writes the input's bytes as a C++ array, so no tool can alter them.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x..',){16})" "\\1\n  " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.
#include \"plugin/module/action_template_document.h\"

namespace md {

static const char kBytes[${size} + 1] = {
  ${bytes}'\\0'};

const char* ActionTemplateDocument() { return kBytes; }
std::size_t ActionTemplateDocumentSize() { return ${size}; }

}  // namespace md
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")

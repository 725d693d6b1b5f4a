# cmake -DINPUT=file -DOUTPUT=file.cpp [-DHEADER=h -DNAMESPACE=n -DFUNCTION=f] -P embed_file.cmake
# Writes the input's bytes as a C++ array, so no tool can alter them, served
# by FUNCTION() and FUNCTIONSize() (by default the plugin's action template
# document).
if(NOT HEADER)
  set(HEADER "plugin/module/action_template_document.h")
  set(NAMESPACE md)
  set(FUNCTION ActionTemplateDocument)
endif()
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x..',){16})" "\\1\n  " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.
#include \"${HEADER}\"

namespace ${NAMESPACE} {

static const char kBytes[${size} + 1] = {
  ${bytes}'\\0'};

const char* ${FUNCTION}() { return kBytes; }
std::size_t ${FUNCTION}Size() { return ${size}; }

}  // namespace ${NAMESPACE}
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")

# Expat, the XML parser of the stand-in host: Debian's library natively, and
# for Windows a static library built from Debian's (patched) source.
if(WIN32)
  set(EXPAT_SOURCE_DIR "/var/cache/moduledetails/expat" CACHE PATH "Expat source tree")
  if(NOT EXISTS "${EXPAT_SOURCE_DIR}/lib/expat.h")
    message(FATAL_ERROR "Expat source not found in ${EXPAT_SOURCE_DIR}: run tools/setup.sh")
  endif()
  foreach(option EXPAT_BUILD_TOOLS EXPAT_BUILD_EXAMPLES EXPAT_BUILD_TESTS EXPAT_SHARED_LIBS
                 EXPAT_BUILD_DOCS EXPAT_BUILD_PKGCONFIG EXPAT_ENABLE_INSTALL EXPAT_DTD)
    set(${option} OFF CACHE BOOL "" FORCE)
  endforeach()
  add_subdirectory("${EXPAT_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/expat" EXCLUDE_FROM_ALL)
  # Debian's patches test "XML_DTD == 1", as its own (autotools) build defines
  # it; Expat's CMake files would define it empty, so it is defined here.
  target_compile_definitions(expat PRIVATE XML_DTD=1)
  add_library(md_expat INTERFACE)
  target_link_libraries(md_expat INTERFACE expat)
  target_compile_definitions(md_expat INTERFACE XML_STATIC)
else()
  find_package(EXPAT REQUIRED)
  add_library(md_expat INTERFACE)
  target_link_libraries(md_expat INTERFACE EXPAT::EXPAT)
endif()

# nlohmann/json, header-only, from Debian's package. The cross build must not
# see /usr/include itself, so it gets a folder holding only that library.
set(MD_JSON_INCLUDE "${PROJECT_BINARY_DIR}/json-include")
if(NOT EXISTS "/usr/include/nlohmann/json.hpp")
  message(FATAL_ERROR "nlohmann/json not found: run tools/setup.sh")
endif()
file(MAKE_DIRECTORY "${MD_JSON_INCLUDE}")
file(CREATE_LINK "/usr/include/nlohmann" "${MD_JSON_INCLUDE}/nlohmann" SYMBOLIC)
add_library(md_json INTERFACE)
target_include_directories(md_json SYSTEM INTERFACE "${MD_JSON_INCLUDE}")

# toml++, header-only, from Debian's package, for mdhost.toml: the same way.
set(MD_TOML_INCLUDE "${PROJECT_BINARY_DIR}/toml-include")
if(NOT EXISTS "/usr/include/toml++/toml.h")
  message(FATAL_ERROR "toml++ not found: run tools/setup.sh")
endif()
file(MAKE_DIRECTORY "${MD_TOML_INCLUDE}")
file(CREATE_LINK "/usr/include/toml++" "${MD_TOML_INCLUDE}/toml++" SYMBOLIC)
add_library(md_toml INTERFACE)
target_include_directories(md_toml SYSTEM INTERFACE "${MD_TOML_INCLUDE}")

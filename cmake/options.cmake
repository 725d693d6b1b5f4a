option(MD_BUILD_TESTS "Build the tests and fixtures" ON)
option(MD_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer (native)" OFF)
option(MD_WERROR "Warnings are errors (the test command's builds)" OFF)
set(MD_WARNINGS -Wall -Wextra)
if(MD_WERROR)
  list(APPEND MD_WARNINGS -Werror)
endif()
if(MD_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
option(MD_TSAN "Build with ThreadSanitizer: only the tests of threads sharing the worker's output (native)" OFF)
if(MD_TSAN AND NOT WIN32)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
option(MD_FUZZ "Build the libFuzzer targets (clang, native)" OFF)
if(MD_FUZZ AND NOT WIN32)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# mdhost's rooms compiled a few files at a time (a unity build): the JSON and
# TOML templates are made once per batch, not once per file, half the CPU of
# mdhost's build. The plain debug tree, where one edits, keeps one unit per
# file: it is what finds a file that does not include what it uses.
if(CMAKE_BUILD_TYPE STREQUAL "Release" OR MD_SANITIZE OR MD_TSAN OR MD_FUZZ)
  set(md_unity_default ON)
else()
  set(md_unity_default OFF)
endif()
option(MD_UNITY_BUILD "Compile mdhost's rooms in batches of files" ${md_unity_default})

# Shipped binaries are stripped; their debug information stays beside the
# build (build/win32/debug/<file>.debug), for crash analysis.
function(md_keep_debug_info target)
  if(WIN32)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/debug"
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}>
              "${PROJECT_BINARY_DIR}/debug/$<TARGET_FILE_NAME:${target}>.debug"
      VERBATIM)
  endif()
endfunction()

# The test trees keep line tables only (-g1): sanitizers, valgrind and
# backtraces still name each function and line, and the trees build in about
# two thirds of the time. A debugger's session wants MD_FULL_DEBUG_INFO=ON.
option(MD_FULL_DEBUG_INFO "Debug builds with full debug information (-g)" OFF)
if(NOT MD_FULL_DEBUG_INFO)
  foreach(lang C CXX)
    string(REGEX REPLACE "(^| )-g( |$)" "\\1-g1\\2" CMAKE_${lang}_FLAGS_DEBUG "${CMAKE_${lang}_FLAGS_DEBUG}")
  endforeach()
endif()

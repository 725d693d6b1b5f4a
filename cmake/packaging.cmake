# What the Windows build ships, and how.
#   component plugin  ModuleDetails/: ModuleDetails.lmd, Help.html, INSTALL.txt,
#                     LICENSE, CHANGELOG.md, the editors' stubs (unzipped into
#                     the host's action plugins folder, it is the whole
#                     installation)
#   component host    mdhost/: mdhost.exe, lua5.1.dll, README.txt for plugin
#                     authors, CHECKS.md with the rule examples it shows
#                     (examples/), JSON.md and the licence notices
# Each folder in dist/ has the name it unpacks to, so that SHA256SUMS reads
# alike in both.
# tools/make_dist.sh installs both into dist/ (stripped), zips each folder and
# writes the checksums.

install(TARGETS ModuleDetails RUNTIME DESTINATION ModuleDetails COMPONENT plugin)
configure_file(packaging/INSTALL.txt "${PROJECT_BINARY_DIR}/INSTALL.txt" @ONLY NEWLINE_STYLE CRLF)
install(FILES plugin/Help.html LICENSE CHANGELOG.md "${PROJECT_BINARY_DIR}/INSTALL.txt"
              plugin/editor/moduledetails_std.lua plugin/editor/ModuleDetails.meta.lua
        DESTINATION ModuleDetails COMPONENT plugin)

install(TARGETS mdhost lua51 RUNTIME DESTINATION mdhost COMPONENT host)
configure_file(packaging/MDHOST.txt "${PROJECT_BINARY_DIR}/README.txt" @ONLY NEWLINE_STYLE CRLF)
install(FILES "${PROJECT_BINARY_DIR}/README.txt" LICENSE DESTINATION mdhost COMPONENT host)
install(FILES docs/checks.md DESTINATION mdhost RENAME CHECKS.md COMPONENT host)
install(FILES docs/json.md DESTINATION mdhost RENAME JSON.md COMPONENT host)
install(FILES "${LUA_SOURCE_DIR}/COPYRIGHT" DESTINATION mdhost RENAME LUA-COPYRIGHT.txt COMPONENT host)
install(FILES "${EXPAT_SOURCE_DIR}/COPYING" DESTINATION mdhost RENAME EXPAT-COPYING.txt COMPONENT host)
install(FILES /usr/share/doc/nlohmann-json3-dev/copyright DESTINATION mdhost RENAME NLOHMANN-JSON-COPYRIGHT.txt
        COMPONENT host)
# The example plugins CHECKS.md shows, as examples/ beside it.
install(DIRECTORY docs/examples/ DESTINATION mdhost/examples COMPONENT host
        FILES_MATCHING PATTERN "*.c" PATTERN "*.h" PATTERN "*.rc" PATTERN "accepted" EXCLUDE)

# The version as the packages name it.
file(WRITE "${PROJECT_BINARY_DIR}/version.txt" "${MD_VERSION_TEXT}\n")

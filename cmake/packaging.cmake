# What the Windows build ships, and how.
#   component plugin  ModuleDetails/: ModuleDetails.lmd, Help.html, INSTALL.txt,
#                     LICENSE, CHANGELOG.md (unzipped into the host's action
#                     plugins folder, it is the whole installation)
#   component host    host/: mdhost.exe, lua5.1.dll, README.txt for plugin
#                     authors and the licence notices
# tools/make_dist.sh installs both into dist/ (stripped), zips each folder and
# writes the checksums.

install(TARGETS ModuleDetails RUNTIME DESTINATION ModuleDetails COMPONENT plugin)
configure_file(packaging/INSTALL.txt "${PROJECT_BINARY_DIR}/INSTALL.txt" @ONLY NEWLINE_STYLE CRLF)
install(FILES plugin/Help.html LICENSE CHANGELOG.md "${PROJECT_BINARY_DIR}/INSTALL.txt"
              plugin/editor/moduledetails_std.lua plugin/editor/ModuleDetails.meta.lua
        DESTINATION ModuleDetails COMPONENT plugin)

install(TARGETS mdhost lua51 RUNTIME DESTINATION host COMPONENT host)
configure_file(packaging/MDHOST.txt "${PROJECT_BINARY_DIR}/README.txt" @ONLY NEWLINE_STYLE CRLF)
install(FILES "${PROJECT_BINARY_DIR}/README.txt" LICENSE DESTINATION host COMPONENT host)
install(FILES docs/checks.md DESTINATION host RENAME CHECKS.md COMPONENT host)
install(FILES docs/json.md DESTINATION host RENAME JSON.md COMPONENT host)
install(FILES "${LUA_SOURCE_DIR}/COPYRIGHT" DESTINATION host RENAME LUA-COPYRIGHT.txt COMPONENT host)
install(FILES "${EXPAT_SOURCE_DIR}/COPYING" DESTINATION host RENAME EXPAT-COPYING.txt COMPONENT host)
install(FILES /usr/share/doc/nlohmann-json3-dev/copyright DESTINATION host RENAME NLOHMANN-JSON-COPYRIGHT.txt
        COMPONENT host)

# The version as the packages name it.
file(WRITE "${PROJECT_BINARY_DIR}/version.txt" "${MD_VERSION_TEXT}\n")

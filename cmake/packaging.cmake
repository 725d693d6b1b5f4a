# What the Windows build ships, and how.
#   component plugin  ModuleDetails/ModuleDetails.lmd, ModuleDetails/Help.html
#   component notes   LICENSE, CHANGELOG.md, INSTALL.txt (beside the folder, in the zip)
#   component host    host/mdhost.exe, host/lua5.1.dll and their licence notices
# tools/build.sh installs plugin and host into dist/ (stripped) and packs plugin
# and notes into dist/ModuleDetails-<version>-win32.zip.

install(TARGETS ModuleDetails RUNTIME DESTINATION ModuleDetails COMPONENT plugin)
install(FILES plugin/Help.html DESTINATION ModuleDetails COMPONENT plugin)

configure_file(packaging/INSTALL.txt "${PROJECT_BINARY_DIR}/INSTALL.txt" @ONLY NEWLINE_STYLE CRLF)
install(FILES LICENSE CHANGELOG.md "${PROJECT_BINARY_DIR}/INSTALL.txt" DESTINATION . COMPONENT notes)

install(TARGETS mdhost lua51 RUNTIME DESTINATION host COMPONENT host)
install(FILES "${LUA_SOURCE_DIR}/COPYRIGHT" DESTINATION host RENAME LUA-COPYRIGHT.txt COMPONENT host)
install(FILES "${EXPAT_SOURCE_DIR}/COPYING" DESTINATION host RENAME EXPAT-COPYING.txt COMPONENT host)
install(FILES /usr/share/doc/nlohmann-json3-dev/copyright DESTINATION host RENAME NLOHMANN-JSON-COPYRIGHT.txt
        COMPONENT host)
install(FILES LICENSE DESTINATION host COMPONENT host)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ModuleDetails)
set(CPACK_PACKAGE_VERSION "${MD_VERSION_TEXT}")
set(CPACK_PACKAGE_FILE_NAME "ModuleDetails-${MD_VERSION_TEXT}-win32")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_COMPONENTS_ALL plugin notes)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
include(CPack)

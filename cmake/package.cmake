# The release bundle of the windows configuration: `--target package` makes a
# ZIP and an NSIS installer (makensis, Debian's nsis), both named with the
# project version. The player sits with its layout files (it looks for them
# beside itself), the user's guide and the licence; the tools in tools\, a
# folder that can go on the PATH without the player.
install(TARGETS PELORIX RUNTIME DESTINATION .)
install(TARGETS pelorix-encode pelorix-decode pelorix-layout RUNTIME DESTINATION tools)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/layouts/ DESTINATION . FILES_MATCHING PATTERN "PELORIX.h*")
install(FILES ${PROJECT_SOURCE_DIR}/docs/GUIDE.txt ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_VERBATIM_VARIABLES ON)   # NSIS values as written here
set(CPACK_PACKAGE_NAME PELORIX)
set(CPACK_PACKAGE_VENDOR "the PELORIX developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Audio player for a lossless format of its own, with its encoder, decoder and layout checker")
set(CPACK_PACKAGE_INSTALL_DIRECTORY PELORIX)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY PELORIX)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The installer and its uninstaller show the player's icon (made in `all`,
# which `package` builds first).
set(CPACK_NSIS_MUI_ICON ${PELORIX_ICON})
set(CPACK_NSIS_MUI_UNIICON ${PELORIX_ICON})
# cmake/NSIS.template.in: a per-user install by default, the shortcut, the
# verbs, the PATH option and the uninstaller that keeps PELORIX.ini.
list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake)
set(CPACK_NSIS_PACKAGE_NAME PELORIX)
set(CPACK_NSIS_DISPLAY_NAME "PELORIX ${PROJECT_VERSION}")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # A 64-bit stub: the exes are 64-bit, and a 32-bit installer would land in
  # "Program Files (x86)" for /AllUsers (and not run at all under a
  # wine64-only Wine).
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
endif()

find_program(PELORIX_MAKENSIS makensis)
if(PELORIX_MAKENSIS)
  set(CPACK_GENERATOR ZIP NSIS)
else()
  message(STATUS "makensis not found (apt-get install nsis): the package target makes the ZIP only")
  set(CPACK_GENERATOR ZIP)
endif()
include(CPack)

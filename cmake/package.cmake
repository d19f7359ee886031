# The release bundle of the windows configuration: `--target package` makes a
# ZIP and an NSIS installer (makensis, Debian's nsis), both named with the
# project version. Everything sits in one folder, as PELORIX.exe looks for its
# layout files and PELORIX.ini beside itself.
install(TARGETS PELORIX pelorix-encode pelorix-decode pelorix-layout RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/layouts/ DESTINATION . FILES_MATCHING PATTERN "PELORIX.h*")
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_VERBATIM_VARIABLES ON)   # NSIS values as written here
set(CPACK_PACKAGE_NAME PELORIX)
set(CPACK_PACKAGE_VENDOR "the PELORIX developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Audio player for a lossless format of its own, with its encoder, decoder and layout checker")
set(CPACK_PACKAGE_INSTALL_DIRECTORY PELORIX)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY PELORIX)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Start-menu shortcut PELORIX\PELORIX.lnk to the exe in the install folder
# itself (CPACK_PACKAGE_EXECUTABLES would point into bin\). The uninstaller
# runs the delete twice: for the folder recorded and the one chosen.
set(CPACK_NSIS_CREATE_ICONS_EXTRA "CreateShortCut \"$SMPROGRAMS\\$STARTMENU_FOLDER\\PELORIX.lnk\" \"$INSTDIR\\PELORIX.exe\"")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "Delete \"$SMPROGRAMS\\$MUI_TEMP\\PELORIX.lnk\"")
set(CPACK_NSIS_PACKAGE_NAME PELORIX)
set(CPACK_NSIS_DISPLAY_NAME "PELORIX ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALLED_ICON_NAME PELORIX.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # A 64-bit stub: the exes are 64-bit, and a 32-bit installer would land in
  # "Program Files (x86)" (and not run at all under a wine64-only Wine).
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
endif()
# The player writes PELORIX.ini beside itself; without it gone, the folder stays.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Delete \"$INSTDIR\\PELORIX.ini\"")

find_program(PELORIX_MAKENSIS makensis)
if(PELORIX_MAKENSIS)
  set(CPACK_GENERATOR ZIP NSIS)
else()
  message(STATUS "makensis not found (apt-get install nsis): the package target makes the ZIP only")
  set(CPACK_GENERATOR ZIP)
endif()
include(CPack)

# Windows resources of every exe: its manifest, its version information from
# the project version, and for the player its icon, drawn by app/icon/drawicon.py.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(PELORIX_ICON ${PROJECT_BINARY_DIR}/PELORIX.ico)
add_custom_command(OUTPUT ${PELORIX_ICON}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/app/icon/drawicon.py ${PELORIX_ICON}
  DEPENDS ${PROJECT_SOURCE_DIR}/app/icon/drawicon.py VERBATIM)
add_custom_target(pelorix_icon_file ALL DEPENDS ${PELORIX_ICON})   # in `all` also for the installer

# The player's icon alone, for each exe that opens the main window (the player and its tests).
file(WRITE ${PROJECT_BINARY_DIR}/icon.rc "1 ICON \"${PELORIX_ICON}\"\n")
add_library(pelorix_icon OBJECT ${PROJECT_BINARY_DIR}/icon.rc)
set_source_files_properties(${PROJECT_BINARY_DIR}/icon.rc PROPERTIES OBJECT_DEPENDS ${PELORIX_ICON})
add_dependencies(pelorix_icon pelorix_icon_file)

# pelorix_add_resources(target description manifest): manifest is the template
# of its application manifest (app/ or tools/).
function(pelorix_add_resources target description manifest)
  set(name ${target})
  get_target_property(output ${target} OUTPUT_NAME)
  if(output)
    set(name ${output})
  endif()
  set(manifestFile ${CMAKE_CURRENT_BINARY_DIR}/${name}.manifest)
  configure_file(${manifest} ${manifestFile} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${name}.rc PROPERTIES OBJECT_DEPENDS ${manifestFile})
  if(MSVC)
    target_link_options(${target} PRIVATE /MANIFEST:NO)   # ours is the only one
  endif()
endfunction()

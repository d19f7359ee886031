# pelorix_copy_layouts(target): places the shipped layout files
# (layouts/PELORIX.h and its language variants) beside the target's output
# file on every build, so each PELORIX.exe finds them where it looks.
function(pelorix_copy_layouts target)
  file(GLOB layout_files CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/layouts/PELORIX.h*")
  add_custom_target(${target}_layouts ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${layout_files} "$<TARGET_FILE_DIR:${target}>"
    COMMENT "Layout files beside ${target}"
    VERBATIM)
  # after the target, so that its output folder exists
  add_dependencies(${target}_layouts ${target})
endfunction()

# The resources every Windows program of the project carries: the program's
# icon (named MAINICON, which LoadIconResource finds), the version block
# Explorer's properties show, and the manifest (common controls 6, per-monitor
# DPI awareness, run as the user who started it).
#
#   zelvo_windows_resources(<target> DESCRIPTION "<what the program is>")
#
# The icon file is made at build time from the PNG pictures in resources/.

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(ZELVO_ICON_SIZES 16 24 32 48 64 128 256)
set(_zelvo_icon_pngs)
foreach(_size IN LISTS ZELVO_ICON_SIZES)
  list(APPEND _zelvo_icon_pngs ${PROJECT_SOURCE_DIR}/resources/icons/zelvo-${_size}.png)
endforeach()
set(ZELVO_ICON_FILE ${PROJECT_BINARY_DIR}/resources/zelvo.ico)
add_custom_command(OUTPUT ${ZELVO_ICON_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/resources
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/make-ico.py ${ZELVO_ICON_FILE}
    ${_zelvo_icon_pngs}
  DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make-ico.py ${_zelvo_icon_pngs}
  COMMENT "Making the program icon zelvo.ico")
add_custom_target(zelvo_icon DEPENDS ${ZELVO_ICON_FILE})

function(zelvo_windows_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 _res "" "DESCRIPTION;NAME" "")
  if(NOT _res_DESCRIPTION)
    message(FATAL_ERROR "zelvo_windows_resources(${target}): DESCRIPTION is required")
  endif()
  set(_name ${target})
  if(_res_NAME)
    set(_name ${_res_NAME})
  endif()
  set(_description "${_res_DESCRIPTION}")
  set(_copyright "Copyright (C) 2026 The Zelvo developers")
  # "3.02" is 3.2.0.0 to the version block's numbers.
  set(_major ${PROJECT_VERSION_MAJOR})
  math(EXPR _minor "${PROJECT_VERSION_MINOR}+0")
  set(_patch 0)
  if(DEFINED PROJECT_VERSION_PATCH AND NOT PROJECT_VERSION_PATCH STREQUAL "")
    math(EXPR _patch "${PROJECT_VERSION_PATCH}+0")
  endif()
  set(_version_commas "${_major},${_minor},${_patch},0")
  set(_version4 "${_major}.${_minor}.${_patch}.0")

  set(_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  set(_manifest ${_dir}/${_name}.manifest)
  set(_icon ${ZELVO_ICON_FILE})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/zelvo.manifest ${_manifest} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/zelvo.rc.in ${_dir}/${_name}.rc @ONLY)
  # The resource compiler reads the icon and the manifest; say so, so that a
  # new icon rebuilds the program.
  set_source_files_properties(${_dir}/${_name}.rc PROPERTIES
    OBJECT_DEPENDS "${ZELVO_ICON_FILE};${_manifest}")
  target_sources(${target} PRIVATE ${_dir}/${_name}.rc)
  add_dependencies(${target} zelvo_icon)
endfunction()

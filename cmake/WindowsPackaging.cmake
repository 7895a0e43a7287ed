# The Windows packages of a cross-build:
#   cmake --build build-win --target zelvo_zip        zelvo-<version>-win64.zip
#   cmake --build build-win --target zelvo_installer  zelvo-<version>-win64-setup.exe
# Both hold the programs this build has, the guide and the shipped URL list,
# staged once in package-win/zelvo-<version>/. The programs are stripped
# there; the build tree keeps its symbols for debugging.

set(ZELVO_PACKAGE_NAME zelvo-${PROJECT_VERSION}-win64)
set(_stage_root ${PROJECT_BINARY_DIR}/package-win)
set(_stage ${_stage_root}/zelvo-${PROJECT_VERSION})
set(ZELVO_ZIP ${PROJECT_BINARY_DIR}/${ZELVO_PACKAGE_NAME}.zip)
set(ZELVO_INSTALLER ${PROJECT_BINARY_DIR}/${ZELVO_PACKAGE_NAME}-setup.exe)

# The programs that exist in this build; the others join once they build.
set(_programs)
foreach(_target zelvo zelvo-page)
  if(TARGET ${_target})
    list(APPEND _programs ${_target})
  endif()
endforeach()

set(_help index.html zelvo.css images/dialog-general.png images/strip-menu.png images/zelvo-64.png)
set(_stage_commands
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_stage_root}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_stage}/help/images)
set(_staged_files)
foreach(_target IN LISTS _programs)
  list(APPEND _stage_commands COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${_target}> ${_stage}/)
  if(CMAKE_STRIP)
    list(APPEND _stage_commands COMMAND ${CMAKE_STRIP} --strip-debug ${_stage}/${_target}.exe)
  endif()
  list(APPEND _staged_files ${_target}.exe)
endforeach()
foreach(_file IN LISTS _help)
  list(APPEND _stage_commands
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/help/${_file} ${_stage}/help/${_file})
  string(REPLACE "/" "\\" _windows_file "help/${_file}")
  list(APPEND _staged_files ${_windows_file})
endforeach()
list(APPEND _stage_commands
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/WebURLs.txt ${_stage}/WebURLs.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/LICENSE ${_stage}/LICENSE.txt)
list(APPEND _staged_files WebURLs.txt LICENSE.txt)

set(_stamp ${_stage_root}.stamp)
set(_depends ${PROJECT_SOURCE_DIR}/data/WebURLs.txt ${PROJECT_SOURCE_DIR}/LICENSE)
foreach(_file IN LISTS _help)
  list(APPEND _depends ${PROJECT_SOURCE_DIR}/docs/help/${_file})
endforeach()
add_custom_command(OUTPUT ${_stamp}
  ${_stage_commands}
  COMMAND ${CMAKE_COMMAND} -E touch ${_stamp}
  DEPENDS ${_programs} ${_depends}
  COMMENT "Staging the Windows package in package-win/")

# The archive unpacks to one folder named after the release.
add_custom_command(OUTPUT ${ZELVO_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ZELVO_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ZELVO_ZIP} --format=zip zelvo-${PROJECT_VERSION}
  WORKING_DIRECTORY ${_stage_root}
  DEPENDS ${_stamp}
  COMMENT "Making ${ZELVO_PACKAGE_NAME}.zip")
add_custom_target(zelvo_zip DEPENDS ${ZELVO_ZIP})

find_program(ZELVO_MAKENSIS makensis)
if(ZELVO_MAKENSIS)
  # The uninstaller deletes exactly what the installer put in place.
  set(_uninstall_files)
  foreach(_file IN LISTS _staged_files)
    string(APPEND _uninstall_files "  Delete \"$INSTDIR\\${_file}\"\n")
  endforeach()
  set(_installer ${ZELVO_INSTALLER})
  set(_icon ${ZELVO_ICON_FILE})
  math(EXPR _minor "${PROJECT_VERSION_MINOR}+0")
  set(_version4 "${PROJECT_VERSION_MAJOR}.${_minor}.0.0")
  set(_script ${PROJECT_BINARY_DIR}/zelvo.nsi)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/zelvo.nsi.in ${_script} @ONLY)
  add_custom_command(OUTPUT ${ZELVO_INSTALLER}
    COMMAND ${ZELVO_MAKENSIS} -V2 -INPUTCHARSET UTF8 ${_script}
    DEPENDS ${_stamp} ${_script} ${ZELVO_ICON_FILE}
    COMMENT "Making ${ZELVO_PACKAGE_NAME}-setup.exe")
  add_custom_target(zelvo_installer DEPENDS ${ZELVO_INSTALLER})
else()
  message(STATUS "makensis not found: no Windows installer (scripts/install-deps installs nsis)")
endif()

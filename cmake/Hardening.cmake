# A Release build is what the package ships, so it gets the protections a
# distribution builds its own programs with: checked string and memory calls,
# stack canaries, a position-independent executable, and a relocation table
# made read-only before the program runs. Other configurations stay as they
# are: the checked calls need optimisation, and the sanitizers bring their own.
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  # Most compilers make such executables by default; this holds the others to it.
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
endif()

set(_release "$<CONFIG:Release>")
# A compiler that already sets the checked calls' level would warn of the
# redefinition, and warnings may be errors.
add_compile_options(
  "$<${_release}:-U_FORTIFY_SOURCE>"
  "$<${_release}:-D_FORTIFY_SOURCE=2>"
  "$<${_release}:-fstack-protector-strong>")
add_link_options("$<${_release}:LINKER:-z,relro,-z,now>")

# Each src/ folder names its groups of files: portable ones (no windows.h; compiled natively too),
# Win32 ones (only in the Windows build), and the core's own for each tree, where the portable ones
# call something each does its way (threads: Win32 ones in the Windows build).
function(mx_portable_sources)
  foreach(f ${ARGN})
    set_property(GLOBAL APPEND PROPERTY MX_PORTABLE_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()
function(mx_win32_sources)
  foreach(f ${ARGN})
    set_property(GLOBAL APPEND PROPERTY MX_WIN32_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()
function(mx_core_sources)
  cmake_parse_arguments(MX "" "" "NATIVE;WINDOWS" ${ARGN})
  foreach(tree NATIVE WINDOWS)
    foreach(f ${MX_${tree}})
      set_property(GLOBAL APPEND PROPERTY MX_CORE_${tree}_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
    endforeach()
  endforeach()
endfunction()

# stb_image comes from Debian's libstb-dev; only its own folder goes on the include path.
find_path(MX_STB_INCLUDE stb_image.h PATHS /usr/include/stb NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT MX_STB_INCLUDE)
  find_path(MX_STB_INCLUDE stb_image.h PATH_SUFFIXES stb)
endif()

# GoogleTest is built from source for either tree (Debian's /usr/src/googletest).
set(MX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")

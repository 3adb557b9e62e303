# The wallpaper decoder's JPEG, GIF, WebP and PNG libraries, as targets mx_jpeg, mx_gif, mx_webp and
# mx_png (libpng with zlib). The native tree links Debian's own (libjpeg62-turbo-dev, libgif-dev,
# libwebp-dev, libpng-dev, zlib1g-dev); the Windows tree builds the same versions from Debian's source
# packages, with Debian's patches, static, with the tree's own compiler.
add_library(mx_jpeg INTERFACE)
add_library(mx_gif INTERFACE)
add_library(mx_webp INTERFACE)
add_library(mx_png INTERFACE)

if(MX_TARGET STREQUAL "native")
  find_package(JPEG REQUIRED)
  find_package(GIF REQUIRED)
  target_link_libraries(mx_jpeg INTERFACE JPEG::JPEG)
  target_link_libraries(mx_gif INTERFACE GIF::GIF)
  find_path(MX_WEBP_INCLUDE webp/decode.h)
  find_library(MX_WEBP_LIBRARY webp)
  find_library(MX_WEBPDEMUX_LIBRARY webpdemux)
  if(NOT MX_WEBP_INCLUDE OR NOT MX_WEBP_LIBRARY OR NOT MX_WEBPDEMUX_LIBRARY)
    message(FATAL_ERROR "libwebp was not found (Debian's libwebp-dev)")
  endif()
  target_include_directories(mx_webp SYSTEM INTERFACE ${MX_WEBP_INCLUDE})
  target_link_libraries(mx_webp INTERFACE ${MX_WEBPDEMUX_LIBRARY} ${MX_WEBP_LIBRARY})
  find_package(PNG REQUIRED)
  target_link_libraries(mx_png INTERFACE PNG::PNG)
  return()
endif()

# Source folders: given, or unpacked by Debian's apt-get source into build/sources once.
set(MX_JPEG_SOURCE "" CACHE PATH "libjpeg-turbo's sources (default: Debian's, unpacked into build/sources)")
set(MX_GIF_SOURCE "" CACHE PATH "giflib's sources (default: Debian's, unpacked into build/sources)")
set(MX_WEBP_SOURCE "" CACHE PATH "libwebp's sources (default: Debian's, unpacked into build/sources)")
set(MX_PNG_SOURCE "" CACHE PATH "libpng's sources (default: Debian's, unpacked into build/sources)")
set(MX_ZLIB_SOURCE "" CACHE PATH "zlib's sources (default: Debian's, unpacked into build/sources)")
set(MX_SOURCES_DIR ${PROJECT_SOURCE_DIR}/build/sources)
foreach(lib JPEG:libjpeg-turbo:libjpeg62-turbo-dev GIF:giflib:libgif-dev WEBP:libwebp:libwebp-dev
            PNG:libpng1.6:libpng-dev ZLIB:zlib:zlib1g-dev)
  string(REPLACE ":" ";" parts ${lib})
  list(GET parts 0 var)
  list(GET parts 1 source)
  list(GET parts 2 binary)
  if(NOT MX_${var}_SOURCE OR NOT EXISTS "${MX_${var}_SOURCE}")
    execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/debian-source.sh ${source} ${binary} ${MX_SOURCES_DIR}
                    OUTPUT_VARIABLE folder OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "Could not unpack Debian's ${source} sources; give their folder as -DMX_${var}_SOURCE")
    endif()
    set(MX_${var}_SOURCE ${folder} CACHE PATH "" FORCE)
  endif()
endforeach()

# libjpeg-turbo with its SIMD code (nasm), static, without the TurboJPEG layer, installed into the
# tree. Its default install prefix is a Windows path, so one is always given.
include(ExternalProject)
set(MX_JPEG_PREFIX ${CMAKE_BINARY_DIR}/libjpeg-turbo)
if(MSVC)
  set(MX_JPEG_LIBRARY ${MX_JPEG_PREFIX}/lib/jpeg-static.lib)
else()
  set(MX_JPEG_LIBRARY ${MX_JPEG_PREFIX}/lib/libjpeg.a)
endif()
if(CMAKE_TOOLCHAIN_FILE)
  # A toolchain file given by a relative path names it from the build folder or the source folder;
  # the library's own build runs elsewhere, so it gets the absolute path.
  set(MX_TOOLCHAIN_PATH ${CMAKE_TOOLCHAIN_FILE})
  if(NOT IS_ABSOLUTE "${MX_TOOLCHAIN_PATH}")
    if(EXISTS ${CMAKE_BINARY_DIR}/${MX_TOOLCHAIN_PATH})
      set(MX_TOOLCHAIN_PATH ${CMAKE_BINARY_DIR}/${MX_TOOLCHAIN_PATH})
    else()
      set(MX_TOOLCHAIN_PATH ${CMAKE_SOURCE_DIR}/${MX_TOOLCHAIN_PATH})
    endif()
  endif()
  set(MX_JPEG_TOOLCHAIN -DCMAKE_TOOLCHAIN_FILE=${MX_TOOLCHAIN_PATH})
endif()
ExternalProject_Add(libjpeg_turbo
  SOURCE_DIR ${MX_JPEG_SOURCE}
  BINARY_DIR ${MX_JPEG_PREFIX}/build
  INSTALL_DIR ${MX_JPEG_PREFIX}
  CMAKE_ARGS -Wno-dev ${MX_JPEG_TOOLCHAIN} -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
             -DCMAKE_INSTALL_LIBDIR=<INSTALL_DIR>/lib -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DREQUIRE_SIMD=ON
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --parallel 2
  BUILD_BYPRODUCTS ${MX_JPEG_LIBRARY}
  UPDATE_COMMAND ""
  # Its output goes to log files in the prefix, shown when a step fails.
  LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON LOG_OUTPUT_ON_FAILURE ON)
file(MAKE_DIRECTORY ${MX_JPEG_PREFIX}/include)
add_library(mx_jpeg_static STATIC IMPORTED GLOBAL)
set_target_properties(mx_jpeg_static PROPERTIES IMPORTED_LOCATION ${MX_JPEG_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${MX_JPEG_PREFIX}/include)
add_dependencies(mx_jpeg_static libjpeg_turbo)
target_link_libraries(mx_jpeg INTERFACE mx_jpeg_static)

# giflib's library is a few C files (its Makefile's list), compiled here.
add_library(mx_gif_static STATIC)
foreach(f dgif_lib.c egif_lib.c gifalloc.c gif_err.c gif_font.c gif_hash.c openbsd-reallocarray.c quantize.c)
  target_sources(mx_gif_static PRIVATE ${MX_GIF_SOURCE}/${f})
endforeach()
target_include_directories(mx_gif_static SYSTEM PUBLIC ${MX_GIF_SOURCE})
set_target_properties(mx_gif_static PROPERTIES C_STANDARD 99 C_EXTENSIONS ON)
target_compile_options(mx_gif_static PRIVATE $<IF:$<C_COMPILER_ID:MSVC>,/w,-w>)
target_link_libraries(mx_gif INTERFACE mx_gif_static)

# libwebp's decoder and demuxer with its SIMD code (SSE2, and SSE4.1 chosen at run time), static,
# without its tools and without threads, which the decoder does not use. Only the two libraries are
# built; the headers are read from the sources.
set(MX_WEBP_BUILD ${CMAKE_BINARY_DIR}/libwebp)
if(MSVC)
  set(MX_WEBP_LIBRARY ${MX_WEBP_BUILD}/webp.lib)
  set(MX_WEBPDEMUX_LIBRARY ${MX_WEBP_BUILD}/webpdemux.lib)
else()
  set(MX_WEBP_LIBRARY ${MX_WEBP_BUILD}/libwebp.a)
  set(MX_WEBPDEMUX_LIBRARY ${MX_WEBP_BUILD}/libwebpdemux.a)
endif()
set(MX_WEBP_OPTIONS)
foreach(option ANIM_UTILS CWEBP DWEBP GIF2WEBP IMG2WEBP VWEBP WEBPINFO LIBWEBPMUX WEBPMUX EXTRAS)
  list(APPEND MX_WEBP_OPTIONS -DWEBP_BUILD_${option}=OFF)
endforeach()
ExternalProject_Add(libwebp
  SOURCE_DIR ${MX_WEBP_SOURCE}
  BINARY_DIR ${MX_WEBP_BUILD}
  CMAKE_ARGS -Wno-dev ${MX_JPEG_TOOLCHAIN} -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
             -DWEBP_ENABLE_SIMD=ON -DWEBP_USE_THREAD=OFF ${MX_WEBP_OPTIONS}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --parallel 2 --target webpdemux
  BUILD_BYPRODUCTS ${MX_WEBP_LIBRARY} ${MX_WEBPDEMUX_LIBRARY}
  UPDATE_COMMAND ""
  INSTALL_COMMAND ""
  LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)
foreach(lib WEBP WEBPDEMUX)
  add_library(mx_${lib}_static STATIC IMPORTED GLOBAL)
  set_target_properties(mx_${lib}_static PROPERTIES IMPORTED_LOCATION ${MX_${lib}_LIBRARY}
                        INTERFACE_INCLUDE_DIRECTORIES ${MX_WEBP_SOURCE}/src)
  add_dependencies(mx_${lib}_static libwebp)
endforeach()
target_link_libraries(mx_webp INTERFACE mx_WEBPDEMUX_static mx_WEBP_static)

# zlib and libpng are a few C files each (their makefiles' lists, without zlib's gz* file functions),
# compiled here. libpng takes its default configuration (scripts/pnglibconf.h.prebuilt, which
# Debian's build generates alike) and its SSE2 filter code, which Debian's amd64 build has as well.
add_library(mx_zlib_static STATIC)
foreach(f adler32.c compress.c crc32.c deflate.c infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c)
  target_sources(mx_zlib_static PRIVATE ${MX_ZLIB_SOURCE}/${f})
endforeach()
target_include_directories(mx_zlib_static SYSTEM PUBLIC ${MX_ZLIB_SOURCE})
target_compile_options(mx_zlib_static PRIVATE $<IF:$<C_COMPILER_ID:MSVC>,/w,-w>)

set(MX_PNG_CONFIG ${CMAKE_BINARY_DIR}/libpng)
configure_file(${MX_PNG_SOURCE}/scripts/pnglibconf.h.prebuilt ${MX_PNG_CONFIG}/pnglibconf.h COPYONLY)
add_library(mx_png_static STATIC)
foreach(f png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c pngrtran.c pngrutil.c pngset.c
          pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c intel/intel_init.c intel/filter_sse2_intrinsics.c)
  target_sources(mx_png_static PRIVATE ${MX_PNG_SOURCE}/${f})
endforeach()
target_include_directories(mx_png_static SYSTEM PUBLIC ${MX_PNG_SOURCE} ${MX_PNG_CONFIG})
target_compile_definitions(mx_png_static PRIVATE PNG_INTEL_SSE_OPT=1)
target_compile_options(mx_png_static PRIVATE $<IF:$<C_COMPILER_ID:MSVC>,/w,-w>)
target_link_libraries(mx_png_static PUBLIC mx_zlib_static)
target_link_libraries(mx_png INTERFACE mx_png_static)

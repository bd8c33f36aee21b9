# The import helper, built beside the editor: libjpeg-turbo for JPEG, libpng for PNG,
# FreeImage for the rest, and Qt's image readers when those give no pixels, run in this
# short-lived child process, never in the editor. It links the adapter, the JPEG and PNG
# decoders, the frame format, the bitmap header check and the bounded reader, and of Qt only QtGui; libseccomp
# for its system-call filter.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SECCOMP REQUIRED IMPORTED_TARGET libseccomp)
# What both helpers are made of: the frame format, the sandbox and the JPEG and PNG decoders.
set(helper_common_sources
  ${CMAKE_CURRENT_LIST_DIR}/helper/HelperIo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/helper/Isolation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/helper/Sandbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/helper/SandboxSelfTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegDecoder.cpp
  ${CMAKE_SOURCE_DIR}/files/Jpeg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PngDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelperProtocol.cpp)
add_executable(pictoria-import-helper
  ${CMAKE_CURRENT_LIST_DIR}/helper/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/helper/HelperDecode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/helper/PortraitReader.cpp
  ${helper_common_sources}
  ${CMAKE_CURRENT_LIST_DIR}/FreeImageLibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TruncatedPicture.cpp
  ${CMAKE_SOURCE_DIR}/platform/BitmapHeader.cpp
  ${CMAKE_SOURCE_DIR}/platform/BoundedImageReader.cpp)
target_include_directories(pictoria-import-helper PRIVATE ${CMAKE_SOURCE_DIR} ${FREEIMAGE_INCLUDE_DIR})
find_package(Threads REQUIRED)
target_link_libraries(pictoria-import-helper PRIVATE ${FREEIMAGE_LIBRARY} JPEG::JPEG PNG::PNG Qt6::Gui PkgConfig::SECCOMP
                      Threads::Threads)

# Its JPEG and PNG part alone, without FreeImage and Qt, which the editor tries first:
# starting it costs a few milliseconds, not the tens that loading those libraries takes.
add_executable(pictoria-import-fast ${CMAKE_CURRENT_LIST_DIR}/helper/fast_main.cpp ${helper_common_sources})
target_include_directories(pictoria-import-fast PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(pictoria-import-fast PRIVATE JPEG::JPEG PNG::PNG PkgConfig::SECCOMP Threads::Threads)
list(APPEND PICTORIA_INSTALLED_PROGRAMS pictoria-import-fast)
# The fast helper's face search; where faces/ could not be built it finds none. The detector
# is compiled into the helper rather than linked from a faces/ library, so that it is built
# with the helper's options (never a sanitizer's) whatever the build.
target_sources(pictoria-import-fast PRIVATE ${CMAKE_CURRENT_LIST_DIR}/helper/HelperFaces.cpp)
if(PICTORIA_FACES)
  target_sources(pictoria-import-fast PRIVATE ${CMAKE_SOURCE_DIR}/faces/GreyFaceSearch.cpp
                 ${CMAKE_BINARY_DIR}/FaceDetectorBytes.cpp)
  target_link_libraries(pictoria-import-fast PRIVATE PkgConfig::DLIB ${LAPACK_LIBRARY} ${BLAS_LIBRARY})
  target_compile_definitions(pictoria-import-fast PRIVATE PICTORIA_FACES)
endif()

# An installed editor finds the helpers in libexec/pictoria/ relative to its own bin/
# folder, a build-tree editor beside itself. Programs elsewhere in the build tree (tests,
# benchmarks, fuzzers) fall back to the build's copies; nothing outside the build tree
# does. Everything linking the core builds the helpers first.
include(GNUInstallDirs)
set(PICTORIA_HELPER_INSTALL_DIR ${CMAKE_INSTALL_LIBEXECDIR}/pictoria)
file(RELATIVE_PATH helper_relative_dir ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/pictoria)
target_compile_definitions(pictoria_core PRIVATE
  PICTORIA_HELPER_RELATIVE_DIR="${helper_relative_dir}"
  PICTORIA_BUILD_TREE="${CMAKE_BINARY_DIR}"
  PICTORIA_IMPORT_HELPER="$<TARGET_FILE:pictoria-import-helper>"
  PICTORIA_IMPORT_FAST="$<TARGET_FILE:pictoria-import-fast>")
add_dependencies(pictoria_core pictoria-import-helper pictoria-import-fast)
set_target_properties(pictoria-import-helper pictoria-import-fast PROPERTIES AUTOMOC OFF)
# The helper runs under an address-space cap, which a sanitizer's shadow memory would
# exceed at start-up; it is built without the sanitizer options whatever the build.
set(helper_options -Wall -Wextra -Wpedantic)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # libseccomp's argument macros expand to C compound literals with fields left out.
  list(APPEND helper_options -Wno-c99-extensions -Wno-missing-field-initializers)
endif()
if(PICTORIA_WERROR)
  list(APPEND helper_options -Werror)
endif()
set_property(TARGET pictoria-import-helper pictoria-import-fast PROPERTY COMPILE_OPTIONS ${helper_options})
set_property(TARGET pictoria-import-helper pictoria-import-fast PROPERTY LINK_OPTIONS "")

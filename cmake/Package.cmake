# `cpack -G DEB` (from the build folder) turns the install rules into a Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pictoria)
set(CPACK_PACKAGE_VERSION ${PICTORIA_RELEASE})
set(CPACK_PACKAGE_VENDOR "The Pictoria developers")
set(CPACK_PACKAGE_CONTACT "The Pictoria developers <pictoria@localhost>" CACHE STRING
    "Maintainer written into the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pixel editor for 48 x 56 character portraits")
set(CPACK_PACKAGE_DESCRIPTION "Pictoria shows a 48 x 56 pixel portrait magnified eight times under an\n\
optional cell grid and lets you paint it cell by cell, pick and replace colours, step the\n\
brightness, save it as JPEG at one of four quality levels and import a region of any larger\n\
picture.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries (Qt 6 Core/Gui/Widgets, FreeImage, the C++ runtime) come from
# dpkg-shlibdeps. Qt's plugins are not linked, so no tool finds them: on Debian the xcb
# platform plugin and the JPEG, GIF and ICO readers ship in libqt6gui6 itself (which
# shlibdeps lists; the package test checks it), and the program loads every image reader
# it finds, so the TIFF, WebP, TGA, MNG and ICNS readers are named here for pictures
# FreeImage leaves to Qt. SVG reading and the interface font's fallback are nice to have.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Installing and packing take what the build made: neither walks every target again first
# (with the tests, that walk is most of the package test's time). Build before installing.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)

# A sanitizer build is for finding memory errors, not for shipping.
if((BUILD_TESTING OR TRUE) AND NOT PICTORIA_SANITIZE)
  add_test(NAME desktop/debian-package
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/desktop/check_package.sh ${CMAKE_BINARY_DIR}
                   ${PICTORIA_APP_ID})
  set_tests_properties(desktop/debian-package PROPERTIES LABELS desktop TIMEOUT 180 RUN_SERIAL TRUE)
endif()

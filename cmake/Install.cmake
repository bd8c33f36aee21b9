# Where `cmake --install` puts the editor and what a desktop needs to show it: the
# desktop entry, the hicolor icons, the AppStream metainfo and the manual page.
include(GNUInstallDirs)

set(PICTORIA_APP_ID io.github.pictoria.Pictoria)
set(PICTORIA_ICON_SIZES 16 32 48 64 128 256)

install(TARGETS pictoria RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Helper programs started by the editor are no commands of their own: they go to
# libexec/pictoria/, where the editor looks for them relative to its own folder. A
# program that should ship adds itself to PICTORIA_INSTALLED_PROGRAMS in its programs.cmake.
list(APPEND PICTORIA_INSTALLED_PROGRAMS pictoria-import-helper)
list(REMOVE_DUPLICATES PICTORIA_INSTALLED_PROGRAMS)
set(installed_programs ${CMAKE_INSTALL_BINDIR}/pictoria)
foreach(program IN LISTS PICTORIA_INSTALLED_PROGRAMS)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${PICTORIA_HELPER_INSTALL_DIR})
    list(APPEND installed_programs ${PICTORIA_HELPER_INSTALL_DIR}/${program})
  endif()
endforeach()
# The install and package tests check that each of these paths, relative to the prefix,
# is an executable.
list(JOIN installed_programs "\n" installed_programs)
file(WRITE ${CMAKE_BINARY_DIR}/dist/installed-programs.txt "${installed_programs}\n")

set(PICTORIA_DIST ${CMAKE_CURRENT_LIST_DIR}/../dist)
cmake_path(NORMAL_PATH PICTORIA_DIST)

install(FILES ${PICTORIA_DIST}/${PICTORIA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${PICTORIA_DIST}/${PICTORIA_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/dist/${PICTORIA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${PICTORIA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(size IN LISTS PICTORIA_ICON_SIZES)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/pictoria-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME pictoria.png)
endforeach()

# The manual page's header names the release and its month. Manual pages are shipped
# compressed, as Debian policy asks; -n keeps the archive byte-for-byte the same from one
# build to the next.
string(SUBSTRING ${PICTORIA_RELEASE_DATE} 0 4 release_year)
string(SUBSTRING ${PICTORIA_RELEASE_DATE} 5 2 release_month)
math(EXPR release_month "${release_month} - 1")
set(month_names January February March April May June July August September October November December)
list(GET month_names ${release_month} release_month)
set(PICTORIA_RELEASE_MONTH "${release_month} ${release_year}")
configure_file(${PICTORIA_DIST}/pictoria.1.in ${CMAKE_BINARY_DIR}/dist/pictoria.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/pictoria.1.gz
                   COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" gzip ${CMAKE_BINARY_DIR}/dist/pictoria.1
                           ${CMAKE_BINARY_DIR}/dist/pictoria.1.gz
                   DEPENDS ${CMAKE_BINARY_DIR}/dist/pictoria.1
                   VERBATIM)
add_custom_target(pictoria_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/pictoria.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/dist/pictoria.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(BUILD_TESTING OR TRUE)
  add_test(NAME desktop/install
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/desktop/check_install.sh ${CMAKE_BINARY_DIR}
                   ${PICTORIA_APP_ID})
  set_tests_properties(desktop/install PROPERTIES LABELS desktop TIMEOUT 120)
endif()

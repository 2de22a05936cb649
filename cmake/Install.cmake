# Installing Verdane as a desktop program (`cmake --install`, which honours --prefix and DESTDIR) and packing it as a
# Debian package (`cpack -G DEB`). The programs find the installed library relative to their own folder, so an
# installed tree works under any prefix, and unpacked anywhere.
include(GNUInstallDirs)
# Installing builds nothing (as `cmake --install` never does): so a package needs only the programs and their files
# built, not every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The name the desktop knows the program by: its desktop entry, AppStream data and icon. Under the program's own
# domain name, reversed.
set(VERDANE_APP_ID app.verdane.Verdane)
set(VERDANE_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

target_compile_definitions(verdane PRIVATE VERDANE_APP_ID="${VERDANE_APP_ID}")

if(WIN32)
    # On Windows the library lies beside the programs, in an installed copy as in one run from anywhere; the user's
    # snippets of an installed copy go to the user's application data.
    target_compile_definitions(verdane_core PRIVATE VERDANE_SHARE_FROM_BIN=".")
    install(TARGETS verdane verdane-cli RUNTIME DESTINATION .)
    install(FILES ${CMAKE_BINARY_DIR}/qmvbsource.mdb DESTINATION .)
    return()
endif()

file(RELATIVE_PATH VERDANE_SHARE_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/verdane)
target_compile_definitions(verdane_core PRIVATE VERDANE_SHARE_FROM_BIN="${VERDANE_SHARE_FROM_BIN}")

# The icon's PNG sizes, rendered from the SVG by the code that draws the windows' icon. What the tool leaves
# unfreed at its end is no concern of a sanitized build's.
add_executable(verdane-mkicons ${PROJECT_SOURCE_DIR}/tools/mkicons/main.cpp)
target_link_libraries(verdane-mkicons PRIVATE verdane_ui)
set_target_properties(verdane-mkicons PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
set(VERDANE_ICON_ROOT ${CMAKE_BINARY_DIR}/icons/hicolor)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/icons/rendered
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${VERDANE_ICON_ROOT}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
        $<TARGET_FILE:verdane-mkicons> ${VERDANE_ICON_ROOT} ${VERDANE_APP_ID}
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/icons/rendered
    DEPENDS verdane-mkicons ${VERDANE_PACKAGING_DIR}/${VERDANE_APP_ID}.svg
    VERBATIM)

# Man pages go compressed, as Debian keeps them.
set(VERDANE_MAN_PAGES)
foreach(page verdane.1 verdane-cli.1)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND gzip -9 -n -c ${VERDANE_PACKAGING_DIR}/${page} > ${CMAKE_BINARY_DIR}/man/${page}.gz
        DEPENDS ${VERDANE_PACKAGING_DIR}/${page})
    list(APPEND VERDANE_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(verdane_desktop_files ALL DEPENDS ${CMAKE_BINARY_DIR}/icons/rendered ${VERDANE_MAN_PAGES})

install(TARGETS verdane verdane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Only the library: the user's snippets are made per user, the first time the program runs.
install(FILES ${CMAKE_BINARY_DIR}/qmvbsource.mdb DESTINATION ${CMAKE_INSTALL_DATADIR}/verdane)
install(FILES ${VERDANE_PACKAGING_DIR}/${VERDANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VERDANE_PACKAGING_DIR}/${VERDANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VERDANE_PACKAGING_DIR}/${VERDANE_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${VERDANE_ICON_ROOT}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${VERDANE_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VERDANE_PACKAGING_DIR}/verdane-cli.bash-completion
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME verdane-cli)

set(CPACK_PACKAGE_NAME verdane)
set(CPACK_PACKAGE_VENDOR "The Verdane developers")
set(CPACK_PACKAGE_CONTACT "The Verdane developers <verdane@quillmere.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "browser for a library of classic Visual Basic source snippets")
set(CPACK_PACKAGE_DESCRIPTION
    "Verdane keeps a library of classic Visual Basic (VB5, VB6 and VBA) source
snippets at hand beside the IDE. Pick a snippet in the catalogue tree, read it
coloured as the VB IDE colours it, and take it to the clipboard, the printer,
a .bas, .cls or .txt file the IDE can add to a project, or line by line into
an IRC conversation. Your own snippets are imported from the clipboard or a
file and kept in your home folder; Find searches the code of every snippet.
.
The package holds the program, verdane-cli for the same library from a
terminal, and the shipped library of snippets.")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.quillmere.example")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Some labels are set in Liberation Sans; without it they fall back to another font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)

if(BUILD_TESTING)
    # What the package check starts the unpacked program with, to see the tree it shows.
    add_subdirectory(tests/package)
endif()

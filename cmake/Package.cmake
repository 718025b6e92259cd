# The Debian package: cpack -G DEB in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr (scripts/package.sh). CPack packs what the install rules
# install, so the package and `cmake --install` can never disagree; the dependencies are
# read off the program and its Qt module by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kirramo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kirramo developers <kirramo@example.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # kirramo_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Wayland clipboard tool is a fallback road and the Wayland window needs Qt's
# Wayland plugin; neither is linked, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wl-clipboard, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy the paths of selected files to the clipboard")
# The long description; CPack puts the summary before it and indents its lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kirramo is started from the file manager with the selected files and folders.
It turns them into text (long or short paths, names, relative parts, date and
size columns, folder and tree listings) and puts that text on the clipboard in
one piece. A settings window keeps the options. Its texts are in Japanese.

Entries for Dolphin are installed; the Nautilus scripts and the Thunar actions
are installed under /usr/share/kirramo, and the usage text tells how to enable
them.")

# The documentation every Debian package carries (the copyright and the changelog) and
# the manual page, compressed as Debian's policy asks (gzip -9n: no name, no time
# stamp, so the same sources make the same package).
function(kirramo_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/deb
    COMMAND sh -c "gzip -9n < '${CMAKE_SOURCE_DIR}/${source}' > '${output}'"
    DEPENDS ${source}
    VERBATIM)
endfunction()
kirramo_gzip(data/deb/changelog ${CMAKE_BINARY_DIR}/deb/changelog.gz)
kirramo_gzip(data/kirramo.1 ${CMAKE_BINARY_DIR}/deb/kirramo.1.gz)
add_custom_target(kirramo_compressed_docs ALL
  DEPENDS ${CMAKE_BINARY_DIR}/deb/changelog.gz ${CMAKE_BINARY_DIR}/deb/kirramo.1.gz)
install(FILES data/deb/copyright ${CMAKE_BINARY_DIR}/deb/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_BINARY_DIR}/deb/kirramo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The one lintian warning that is meant (see the file), in the package only.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  install(FILES data/deb/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kirramo)
endif()

include(CPack)

# Installing Quillbox and packaging it as a .deb: the executable, its desktop entry, its icon in
# every size a desktop asks for and its AppStream metadata. Other install() rules anywhere in the
# project (the manual page, the shell completion) go into the package as well.
include(GNUInstallDirs)

set(QUILLBOX_APP_ID org.quillbox.quillbox)

# `quillbox` is the command line; it starts the window program from the program's own folder.
install(TARGETS quillbox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS quillbox_window RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillbox)
install(FILES packaging/${QUILLBOX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${QUILLBOX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128)
  install(FILES packaging/icons/quillbox-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillbox.png)
endforeach()
install(FILES packaging/icons/quillbox.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME quillbox)
set(CPACK_PACKAGE_VENDOR Quillbox)
set(CPACK_PACKAGE_CONTACT "Quillbox maintainers <maintainers@quillbox.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop toolbox for developers")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Small, independent tools for developers who work with source code, text files and databases, "
       "each a child window of one frame: chunk erasing and search-and-replace over folder trees, "
       "template repetition, line and column tools, source scanners and Oracle script generators.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# Library dependencies come from the executables themselves, and the libraries loaded on first
# use are named here; opening the data folder needs xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(REGEX MATCH "^[0-9]+" QUILLBOX_OPENSSL_SOVERSION "${OPENSSL_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libssl${QUILLBOX_OPENSSL_SOVERSION}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, universal-ctags")
include(CPack)

# `make package`: a Debian package of the installed tree, which is also the
# setup program a Linux update site serves (docs/updater.md). The command
# line tool comes with its man page and bash completion.
include(GNUInstallDirs)

set(KQ_MAN_PAGE ${CMAKE_BINARY_DIR}/kqtools-cli.1.gz)
add_custom_command(OUTPUT ${KQ_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/kqtools-cli.1 ${CMAKE_BINARY_DIR}/kqtools-cli.1
  COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/kqtools-cli.1
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/kqtools-cli.1
  COMMENT "Compressing the kqtools-cli man page")
add_custom_target(kqmanpage ALL DEPENDS ${KQ_MAN_PAGE})
install(FILES ${KQ_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/tools/kqtools-cli.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kqtools-cli)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kqtools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "TernSoft")
set(CPACK_PACKAGE_CONTACT "KQTools maintainers <kqtools@ternsoft.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch file renamer with formulas, templates and an online updater")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "KQTools renames many files at once with five naming modes (simple, enhanced,\nlist, advanced templates and a formula language), previews the new names and\nrenames safely through a journal. Includes the command-line tool kqtools-cli\nand the online updater TERNControlUpdate.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries from the binaries (Qt 6, libcurl, the C++ runtime), plus what
# the programs need at run time without linking it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Install with DESTDIR so that files written at install time (the registry
# file, the desktop entry) name /usr, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

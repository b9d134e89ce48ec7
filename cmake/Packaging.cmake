# `make package`: the Debian package of the installed tree, which is also the
# setup package a Linux update site serves (docs/updater.md). Beside the
# programs it installs the manual pages, the shell completions, the AppStream
# metadata, the file-manager entries and the Debian copyright and changelog
# (packaging/, docs/man/).
if(WIN32)
  return()
endif()
include(GNUInstallDirs)

set(KQ_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KQ_PACKAGING_BUILD_DIR ${CMAKE_BINARY_DIR}/packaging)
set(KQ_HOMEPAGE "https://www.ternsoft.example/kqtools/")
set(KQ_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kqtools)
file(MAKE_DIRECTORY ${KQ_PACKAGING_BUILD_DIR})

# Files Debian ships compressed: the manual pages and the changelog.
set(KQ_MAN_PAGES kqtools-cli)
if(KQ_HAVE_QT)
  list(APPEND KQ_MAN_PAGES KQTools TERNControlPanel TERNControlUpdate)
endif()
set(KQ_COMPRESSED)
foreach(page IN LISTS KQ_MAN_PAGES)
  list(APPEND KQ_COMPRESSED "${PROJECT_SOURCE_DIR}/docs/man/${page}.1|${KQ_PACKAGING_BUILD_DIR}/${page}.1.gz")
  install(FILES ${KQ_PACKAGING_BUILD_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
list(APPEND KQ_COMPRESSED "${KQ_PACKAGING_DIR}/changelog|${KQ_PACKAGING_BUILD_DIR}/changelog.gz")
set(KQ_COMPRESSED_OUTPUTS)
foreach(pair IN LISTS KQ_COMPRESSED)
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 output)
  get_filename_component(plain ${output} NAME_WLE)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${KQ_PACKAGING_BUILD_DIR}/${plain}
    COMMAND gzip -9nf ${KQ_PACKAGING_BUILD_DIR}/${plain}
    DEPENDS ${source}
    COMMENT "Compressing ${plain}")
  list(APPEND KQ_COMPRESSED_OUTPUTS ${output})
endforeach()
add_custom_target(kqpackagefiles ALL DEPENDS ${KQ_COMPRESSED_OUTPUTS})
install(FILES ${KQ_PACKAGING_DIR}/copyright ${KQ_PACKAGING_BUILD_DIR}/changelog.gz DESTINATION ${KQ_DOC_DIR})

install(FILES ${KQ_PACKAGING_DIR}/kqtools-cli.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kqtools-cli)
install(FILES ${KQ_PACKAGING_DIR}/_kqtools-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${KQ_PACKAGING_DIR}/kqtools-cli.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

if(KQ_BUILD_TESTS)
  add_test(NAME Packaging.CompletionsAndManualPageKnowEverySubcommand
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/packaging/completions_test.sh $<TARGET_FILE:kqtools-cli>
      ${PROJECT_SOURCE_DIR}/docs/man/kqtools-cli.1 ${KQ_PACKAGING_DIR}/kqtools-cli.bash
      ${KQ_PACKAGING_DIR}/_kqtools-cli ${KQ_PACKAGING_DIR}/kqtools-cli.fish)
  if(KQ_HAVE_QT)
    add_test(NAME Packaging.InstallUnderAnyPrefixFindsItsFiles
      COMMAND sh ${PROJECT_SOURCE_DIR}/tests/packaging/install_test.sh ${CMAKE_BINARY_DIR})
  endif()
endif()

# The releases of the AppStream metadata are the entries of the Debian
# changelog: "kqtools (VERSION) ...", "  * item" lines, " -- who  DATE".
file(READ ${KQ_PACKAGING_DIR}/changelog KQ_CHANGELOG)
# One list item a line: list separators and brackets are kept apart.
string(ASCII 1 semicolon)
string(ASCII 2 open)
string(ASCII 3 close)
string(REPLACE ";" "${semicolon}" KQ_CHANGELOG "${KQ_CHANGELOG}")
string(REPLACE "[" "${open}" KQ_CHANGELOG "${KQ_CHANGELOG}")
string(REPLACE "]" "${close}" KQ_CHANGELOG "${KQ_CHANGELOG}")
string(REPLACE "\n" ";" KQ_CHANGELOG "${KQ_CHANGELOG}")
set(KQ_METAINFO_RELEASES "")
set(KQ_CHANGELOG_VERSION "")
set(version "")
set(items "")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
foreach(line IN LISTS KQ_CHANGELOG)
  string(REPLACE "${semicolon}" ";" line "${line}")
  string(REPLACE "${open}" "[" line "${line}")
  string(REPLACE "${close}" "]" line "${line}")
  string(REPLACE "&" "&amp;" line "${line}")
  string(REPLACE "<" "&lt;" line "${line}")
  string(REPLACE ">" "&gt;" line "${line}")
  if(line MATCHES "^kqtools \\(([^)]+)\\)")
    set(version ${CMAKE_MATCH_1})
    set(items "")
    if(NOT KQ_CHANGELOG_VERSION)
      set(KQ_CHANGELOG_VERSION ${version})
    endif()
  elseif(line MATCHES "^  \\* (.*)$")
    if(items)
      string(APPEND items "</li>\n")
    endif()
    string(APPEND items "          <li>${CMAKE_MATCH_1}")
  elseif(line MATCHES "^    +(.*)$")
    string(APPEND items " ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^ -- .*  [A-Za-z]+, ([0-9]+) ([A-Za-z]+) ([0-9]+) " AND version)
    set(day ${CMAKE_MATCH_1})
    set(year ${CMAKE_MATCH_3})
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1")
    foreach(part day month)
      string(LENGTH "${${part}}" digits)
      if(digits EQUAL 1)
        set(${part} 0${${part}})
      endif()
    endforeach()
    string(APPEND KQ_METAINFO_RELEASES
      "    <release version=\"${version}\" date=\"${year}-${month}-${day}\">\n"
      "      <description>\n        <ul>\n${items}</li>\n        </ul>\n      </description>\n    </release>\n")
    set(version "")
  endif()
endforeach()
string(REGEX REPLACE "\n$" "" KQ_METAINFO_RELEASES "${KQ_METAINFO_RELEASES}")
if(NOT KQ_CHANGELOG_VERSION STREQUAL PROJECT_VERSION)
  message(WARNING "packaging/changelog: the newest entry is ${KQ_CHANGELOG_VERSION}, "
    "the project is ${PROJECT_VERSION}: add an entry before packaging")
endif()

# The desktop programs' AppStream metadata and file-manager entries.
if(KQ_HAVE_QT)
  configure_file(${KQ_PACKAGING_DIR}/example.ternsoft.kqtools.metainfo.xml.in
    ${KQ_PACKAGING_BUILD_DIR}/example.ternsoft.kqtools.metainfo.xml @ONLY)
  install(FILES ${KQ_PACKAGING_BUILD_DIR}/example.ternsoft.kqtools.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  set(KQ_DESKTOP_EXEC "@KQ_PREFIX@/${CMAKE_INSTALL_BINDIR}/KQTools")
  foreach(entry kqtools-rename.desktop kqtools-rename.nemo_action)
    configure_file(${KQ_PACKAGING_DIR}/${entry}.in ${KQ_PACKAGING_BUILD_DIR}/installed/${entry}.in @ONLY)
  endforeach()
  kq_install_with_prefix(${KQ_PACKAGING_BUILD_DIR}/installed/kqtools-rename.desktop.in
    DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus)
  kq_install_with_prefix(${KQ_PACKAGING_BUILD_DIR}/installed/kqtools-rename.nemo_action.in
    DESTINATION ${CMAKE_INSTALL_DATADIR}/nemo/actions)
endif()

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
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KQ_HOMEPAGE})
# Libraries from the binaries (Qt 6, libcurl, the C++ runtime), plus what
# the programs need at run time without linking it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
# The registry file is the administrator's to edit: dpkg keeps the changes
# on upgrade and removes it on purge. CPack installs under /usr, so the
# install rules put it in /etc.
if(KQ_HAVE_QT)
  file(WRITE ${KQ_PACKAGING_BUILD_DIR}/conffiles "/etc/ternsoft/registry.reg\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${KQ_PACKAGING_BUILD_DIR}/conffiles)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Install with DESTDIR so that files written at install time (the registry
# file, the desktop entries) name /usr, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# Where an installation puts what the programs look for at run time. The
# programs find the registry file themselves (src/platform/Registry.cpp);
# the registry names the help folder and the common-files folder.
include(GNUInstallDirs)

# The help documents, named by the registry's "Location".
set(KQ_INSTALL_HELP_DIR ${CMAKE_INSTALL_DATADIR}/kqtools)
# The common-files folder: its "TernSoft Share" holds the updater and the
# update descriptor for every program of the maker, so it stays lib/ on
# multiarch systems too.
set(KQ_INSTALL_COMMON_FILES_DIR lib)
set(KQ_INSTALL_SHARED_DIR "${KQ_INSTALL_COMMON_FILES_DIR}/TernSoft Share")
# TERNControlPanel and its applet library, in a folder of their own: the
# control panel loads command plug-ins from its own folder. On multiarch
# systems the folder is lib/<multiarch>/ under any prefix, as the package
# has it whichever prefix its tree was configured for.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(KQ_INSTALL_PANEL_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/kqtools)
else()
  set(KQ_INSTALL_PANEL_DIR ${CMAKE_INSTALL_LIBDIR}/kqtools)
endif()
# The registry of the configured prefix (/etc/ternsoft for /usr); the
# programs fall back on it when their own installation has none.
set(KQ_REGISTRY_DIR ${CMAKE_INSTALL_FULL_SYSCONFDIR}/ternsoft)

# kq_install_with_prefix(TEMPLATE DESTINATION dir [RENAME name] [SYSCONF]):
# installs a file that names installed folders. "@KQ_PREFIX@" in TEMPLATE
# becomes the prefix of the install, known only then (cmake --install
# --prefix). DESTINATION is relative to the prefix, or with SYSCONF to the
# folder that prefix keeps its configuration in: the configured one for the
# configured prefix, /etc for /usr, else <prefix>/etc, which is where the
# programs look (Registry.cpp).
function(kq_install_with_prefix template)
  cmake_parse_arguments(ARG "SYSCONF" "DESTINATION;RENAME" "" ${ARGN})
  get_filename_component(name ${template} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  if(ARG_RENAME)
    set(name ${ARG_RENAME})
  endif()
  set(resolved ${CMAKE_CURRENT_BINARY_DIR}/installed/${name})
  if(ARG_SYSCONF)
    set(base "\${_kq_sysconf}")
  else()
    set(base "\${CMAKE_INSTALL_PREFIX}")
  endif()
  install(CODE "
    set(_kq_sysconf \"\${CMAKE_INSTALL_PREFIX}/etc\")
    if(\"\${CMAKE_INSTALL_PREFIX}\" STREQUAL \"${CMAKE_INSTALL_PREFIX}\")
      set(_kq_sysconf \"${CMAKE_INSTALL_FULL_SYSCONFDIR}\")
    elseif(\"\${CMAKE_INSTALL_PREFIX}\" STREQUAL \"/usr\")
      set(_kq_sysconf /etc)
    endif()
    file(READ \"${template}\" _kq_text)
    string(REPLACE \"@KQ_PREFIX@\" \"\${CMAKE_INSTALL_PREFIX}\" _kq_text \"\${_kq_text}\")
    file(WRITE \"${resolved}\" \"\${_kq_text}\")
    file(INSTALL \"${resolved}\" DESTINATION \"${base}/${ARG_DESTINATION}\")
  ")
endfunction()

# PCRE2 with 16-bit code units, the width of the system's texts: Debian's
# libpcre2-dev through pkg-config, or (the Windows cross-build) the static
# library that tools/windows.sh builds from Debian's sources into
# KQ_PCRE2_ROOT. Gives the target kq::pcre2.
set(KQ_PCRE2_ROOT "" CACHE PATH "Folder of a PCRE2 build (include/, lib/) to use instead of pkg-config")
if(KQ_PCRE2_ROOT)
  find_path(KQ_PCRE2_INCLUDE_DIR pcre2.h PATHS ${KQ_PCRE2_ROOT}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_library(KQ_PCRE2_LIBRARY NAMES pcre2-16 PATHS ${KQ_PCRE2_ROOT}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT KQ_PCRE2_INCLUDE_DIR OR NOT KQ_PCRE2_LIBRARY)
    message(FATAL_ERROR "No 16-bit PCRE2 in KQ_PCRE2_ROOT=${KQ_PCRE2_ROOT}")
  endif()
  add_library(kq::pcre2 STATIC IMPORTED GLOBAL)
  set_target_properties(kq::pcre2 PROPERTIES IMPORTED_LOCATION ${KQ_PCRE2_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${KQ_PCRE2_INCLUDE_DIR} INTERFACE_COMPILE_DEFINITIONS PCRE2_STATIC)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(KQ_PCRE2 REQUIRED IMPORTED_TARGET GLOBAL libpcre2-16)
  add_library(kq::pcre2 ALIAS PkgConfig::KQ_PCRE2)
endif()

# Cross-build for 64-bit Windows with Debian's mingw-w64 (POSIX-thread
# variant, so std::thread and std::mutex work) and run the results under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KQ_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KQ_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KQ_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KQ_MINGW_TRIPLET}-windres)

# The target's libraries (GoogleTest is built for the target and given by GTest_DIR).
set(CMAKE_FIND_ROOT_PATH /usr/${KQ_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime, libgcc and winpthread linked in, so that the programs run
# without DLLs copied beside them. Unicode entry points and file names need
# nothing more: the platform layer calls the wide-character API.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The same for the DLLs (the control panel applet and the test plug-ins).
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs (and gtest discovery) run under Wine, with a prefix of their
# own inside the build folder and without Wine's debug chatter, also when
# ctest is started by hand.
find_program(KQ_WINE NAMES wine wine64)
if(KQ_WINE AND CMAKE_BINARY_DIR)
  file(WRITE ${CMAKE_BINARY_DIR}/wine-run
    "#!/bin/sh\n"
    ": \"\${WINEPREFIX:=${CMAKE_BINARY_DIR}/wineprefix}\"\n"
    "export WINEPREFIX WINEDEBUG=\${WINEDEBUG:--all} WINEDLLOVERRIDES=\${WINEDLLOVERRIDES:-mscoree,mshtml=}\n"
    "exec ${KQ_WINE} \"\$@\"\n")
  file(CHMOD ${CMAKE_BINARY_DIR}/wine-run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()

# List the tests of each program when ctest runs rather than after every link:
# the build then never waits on Wine, which starts slowly on a busy machine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

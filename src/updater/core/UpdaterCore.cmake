# What the updater core needs beyond its sources (included from
# src/CMakeLists.txt once kqupdater exists): the signature check and the
# limits that a build may set.
set(KQ_UPDATE_PUBLIC_KEY "" CACHE STRING
  "Ed25519 public key (hex or base64) that setup packages must be signed with (docs/updater.md); empty: no package is started")
set(KQ_UPDATE_MAX_PACKAGE_SIZE 4294967296 CACHE STRING
  "Most bytes a setup package without a Content-Length may have")
if(NOT KQ_UPDATE_MAX_PACKAGE_SIZE MATCHES "^[1-9][0-9]*$")
  message(FATAL_ERROR "KQ_UPDATE_MAX_PACKAGE_SIZE must be a positive number of bytes")
endif()
if(NOT KQ_UPDATE_PUBLIC_KEY MATCHES "^[0-9A-Za-z+/=]*$")
  message(FATAL_ERROR "KQ_UPDATE_PUBLIC_KEY must be hex or base64")
endif()
target_compile_definitions(kqupdater PUBLIC KQ_UPDATE_MAX_PACKAGE_SIZE=${KQ_UPDATE_MAX_PACKAGE_SIZE}ULL)
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/UpdateTrust.cpp APPEND PROPERTY
  COMPILE_DEFINITIONS KQ_UPDATE_PUBLIC_KEY="${KQ_UPDATE_PUBLIC_KEY}")
if(NOT WIN32)
  # Ed25519 from libcrypto; the Windows build has no verifier and so starts
  # no package.
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  target_link_libraries(kqupdater PUBLIC OpenSSL::Crypto)
endif()

# Shared build helpers.

# kq_glob_sources(VAR DIR...): the .cpp files directly inside each DIR.
function(kq_glob_sources var)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS "${dir}/*.cpp")
    list(APPEND result ${found})
  endforeach()
  set(${var} ${result} PARENT_SCOPE)
endfunction()

# add_core_test(NAME DIR): one GoogleTest program from every .cpp in DIR.
function(add_core_test name dir)
  file(GLOB srcs CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE kqcore kqtestsupport GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "KQ_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}/data")
endfunction()

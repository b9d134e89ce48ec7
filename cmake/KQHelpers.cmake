# Shared build helpers.

# kq_glob_sources(VAR DIR...): the .cpp files directly inside each DIR
# (relative to the current source folder).
function(kq_glob_sources var)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp")
    list(APPEND result ${found})
  endforeach()
  set(${var} ${result} PARENT_SCOPE)
endfunction()

# kq_add_core_library(NAME SOURCES files... DEPS libs...): a static core
# library. A listed source that does not exist is an error; no sources at all
# (a folder still empty) means no library, and the dependants link only what
# there is.
function(kq_add_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  foreach(src IN LISTS ARG_SOURCES)
    if(NOT EXISTS ${src})
      message(FATAL_ERROR "${name}: source ${src} does not exist")
    endif()
  endforeach()
  if(NOT ARG_SOURCES)
    return()
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(dep IN LISTS ARG_DEPS)
    if(TARGET ${dep})
      target_link_libraries(${name} PUBLIC ${dep})
    endif()
  endforeach()
  set(KQ_CORE_LIBRARIES ${KQ_CORE_LIBRARIES} ${name} CACHE INTERNAL "")
endfunction()

# add_core_test(NAME DIR [LIBS...]): one GoogleTest program from every .cpp
# in DIR, linked with the given core libraries (all of the core when none).
function(add_core_test name dir)
  file(GLOB srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp")
  if(NOT srcs)
    return()
  endif()
  set(libs)
  foreach(lib IN LISTS ARGN)
    if(TARGET ${lib})
      list(APPEND libs ${lib})
    endif()
  endforeach()
  if(NOT libs)
    set(libs kqcore)
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${libs} kqtestsupport GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "KQ_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}/data")
endfunction()

# add_gui_test(NAME SOURCES files... LIBS libs... [ENV VAR=value...]): one
# QTest program, run by ctest on the offscreen platform. The caller finds Qt6
# Test and turns on AUTOMOC; the test sees its own folder's headers.
function(add_gui_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kqtestsupport Qt6::Test)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENV}"
    TIMEOUT 300)
endfunction()

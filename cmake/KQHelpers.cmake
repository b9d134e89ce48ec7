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
# library from the sources that exist; none yet means no library, and the
# dependants link only what there is.
function(kq_add_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  set(existing)
  foreach(src IN LISTS ARG_SOURCES)
    if(EXISTS ${src})
      list(APPEND existing ${src})
    endif()
  endforeach()
  if(NOT existing)
    return()
  endif()
  add_library(${name} STATIC ${existing})
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

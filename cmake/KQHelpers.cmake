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

# kq_stage_headers(TARGET SCOPE FOLDER...): TARGET (and, with PUBLIC, what
# links it) includes the headers of these src/ folders as "folder/Name.h",
# and no others. Each target gets an include root of its own that holds
# links to just its folders, so an include of a layer the target does not
# link fails to compile instead of slipping through a shared src/ root.
function(kq_stage_headers target scope)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  foreach(folder IN LISTS ARGN)
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/src/${folder})
      message(FATAL_ERROR "${target}: no folder src/${folder}")
    endif()
    set(link ${root}/${folder})
    if(NOT IS_SYMLINK ${link})
      get_filename_component(parent ${link} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${link} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# kq_add_core_library(NAME FOLDERS dirs... DEPS libs...): a static core
# library of the .cpp files directly inside the src/ folders, whose headers
# it and its dependants see. It links only the libraries named, so a layer
# reaches no code it does not declare. A folder still without sources means
# no library, and the dependants link only what there is.
function(kq_add_core_library name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;DEPS" ${ARGN})
  set(sources)
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB found CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp")
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  kq_stage_headers(${name} PUBLIC ${ARG_FOLDERS})
  foreach(dep IN LISTS ARG_DEPS)
    if(TARGET ${dep})
      target_link_libraries(${name} PUBLIC ${dep})
    endif()
  endforeach()
endfunction()

# add_core_test(NAME DIR LIBS...): one GoogleTest program from every .cpp in
# DIR, linked with the core libraries it tests.
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
    message(FATAL_ERROR "${name}: name the core libraries it tests")
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

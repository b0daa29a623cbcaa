# Helpers shared by the CMake files of src/, tests/ and bench/.

# orvalle_add_gtest(NAME SOURCES ... [LIBS ...])
# A GoogleTest executable linked to the given modules (LIBS); every TEST becomes a CTest case.
function(orvalle_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    ORVALLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ORVALLE_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# orvalle_add_qtest(NAME SOURCES ...)
# A Qt Test executable for windows and dialogs, run under the offscreen platform.
function(orvalle_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE orvalle_gui orvalle_core orvalle_test_seams Qt6::Test ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    ORVALLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ORVALLE_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()

# orvalle_check_no_widget_headers(DIR ...)
# Every build (and ctest) fails when a file under DIR includes a header of a window module.
function(orvalle_check_no_widget_headers)
  set(script ${PROJECT_SOURCE_DIR}/cmake/CheckNoWidgets.cmake)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/no_widget_headers.stamp)
  set(sources "")
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.h" "${dir}/*.cpp")
    list(APPEND sources ${found})
  endforeach()
  string(REPLACE ";" "\\;" dirs "${ARGN}")
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} "-DDIRS=${dirs}" -DSTAMP=${stamp} -P ${script}
    DEPENDS ${sources} ${script}
    COMMENT "Checking that core code includes no window headers"
    VERBATIM)
  add_custom_target(orvalle_no_widget_headers ALL DEPENDS ${stamp})
  if(ORVALLE_BUILD_TESTS)
    add_test(NAME core_includes_no_widget_headers
      COMMAND ${CMAKE_COMMAND} "-DDIRS=${dirs}" -P ${script})
  endif()
endfunction()

# orvalle_add_area_folders()
# Adds every folder beside the calling CMakeLists.txt that has a CMakeLists.txt of its own.
function(orvalle_add_area_folders)
  file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY ${entry} AND EXISTS ${entry}/CMakeLists.txt)
      add_subdirectory(${entry})
    endif()
  endforeach()
endfunction()

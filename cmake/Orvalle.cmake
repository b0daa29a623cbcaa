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
  target_link_libraries(${name} PRIVATE orvalle_ui orvalle_core Qt6::Test ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    ORVALLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ORVALLE_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()

# One place that registers every test of the project.
#
#   sorvane_add_gtest(NAME <target> SOURCES <files...> LIBS <targets...> [QT] [LABELS <labels...>])
#
# Builds a GoogleTest executable and registers each of its tests with CTest.
# QT links the shared Qt test main (tests/support/qtTestMain.cpp), which
# creates a QApplication on the offscreen platform; without it GoogleTest's own
# main is used. Discovery happens when CTest runs, so building needs no display.
# The label "core" marks the suites of the Qt-free libraries and sorvane-cli,
# which build.sh also runs built with AddressSanitizer and UBSan.
#
#   sorvane_add_script_test(NAME <name> COMMAND <cmd...> [LABELS <labels...>])
#
# Registers a test that runs a command (shell scripts driving the built programs).
find_package(GTest REQUIRED)
include(GoogleTest)

# Python's compiled modules would land beside the test scripts in the source
# tree; the tests write only into the build folder and scratch folders.
set(SORVANE_TEST_ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen"
  "LC_ALL=C.UTF-8"
  "PYTHONDONTWRITEBYTECODE=1"
)

# The test programs labelled "core", built together for the sanitizer run.
add_custom_target(sorvane_core_tests)

function(sorvane_add_gtest)
  cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  # Every test sees the shared helpers, such as the row idiom of table tests
  # (namedRow.h).
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE sorvane_test_support)
  else()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  if("core" IN_LIST T_LABELS)
    add_dependencies(sorvane_core_tests ${T_NAME})
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${SORVANE_TEST_ENVIRONMENT}" TIMEOUT 120 LABELS "${T_LABELS}")
endfunction()

function(sorvane_add_script_test)
  cmake_parse_arguments(T "" "NAME" "COMMAND;LABELS" ${ARGN})
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "${SORVANE_TEST_ENVIRONMENT}" TIMEOUT 300)
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

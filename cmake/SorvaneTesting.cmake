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
#
# Every test runs with a home folder of its own (HOME and the XDG folders):
# test programs through tests/support/ownHome.cpp, commands through
# cmake/ownHome.sh. The native build's run checks at its end that the home of
# the user who runs it is as it was at its start (cmake/realHome.sh).
#
#   sorvane_add_wine_code_page_test(NAME <name> COMMAND <test program> <arguments...>)
#
# Windows builds under Wine: runs a test program with Shift_JIS (932) as the
# system's code page, for the two-byte path rules that the usual code page
# (1252) leaves untried. A test that skips shows as skipped.
include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  # No GoogleTest for the target system comes packaged: build it from the
  # sources of Debian's googletest package with the cross compiler.
  set(SORVANE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${SORVANE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  if(SORVANE_WINE_PREFIX)
    # Wine sets up a prefix on first use, which takes about 15 s: do it once
    # while building rather than inside the time of the first test.
    add_custom_command(OUTPUT ${SORVANE_WINE_PREFIX}/system.reg
      COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} cmd /c exit
      COMMENT "Setting up the Wine prefix")
    add_custom_target(sorvane_wine_prefix ALL DEPENDS ${SORVANE_WINE_PREFIX}/system.reg)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

# The tests of a Windows build carry this prefix, so that they keep names of
# their own when the Linux build runs them beside its own (tests/windows).
if(CMAKE_CROSSCOMPILING AND WIN32)
  set(SORVANE_TEST_PREFIX "windows/")
endif()

# Under Wine every test needs the one Wine server that the fixture keeps from
# the first Windows test to the last (see cmake/wineRun.sh).
set(SORVANE_TEST_FIXTURE_PROPERTIES "")
if(CMAKE_CROSSCOMPILING AND WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME windows/wine_server_start COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --start-server)
  add_test(NAME windows/wine_server_end COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --end-server)
  set_tests_properties(windows/wine_server_start PROPERTIES FIXTURES_SETUP wine_server TIMEOUT 120)
  set_tests_properties(windows/wine_server_end PROPERTIES FIXTURES_CLEANUP wine_server TIMEOUT 60)
  set(SORVANE_TEST_FIXTURE_PROPERTIES FIXTURES_REQUIRED wine_server)
endif()

if(NOT CMAKE_CROSSCOMPILING)
  set(real_home_list ${CMAKE_BINARY_DIR}/realHome.list)
  add_test(NAME real_home_recorded COMMAND ${PROJECT_SOURCE_DIR}/cmake/realHome.sh record ${real_home_list})
  add_test(NAME real_home_untouched COMMAND ${PROJECT_SOURCE_DIR}/cmake/realHome.sh compare ${real_home_list})
  set_tests_properties(real_home_recorded PROPERTIES FIXTURES_SETUP real_home)
  set_tests_properties(real_home_untouched PROPERTIES FIXTURES_CLEANUP real_home)
  set(SORVANE_TEST_FIXTURE_PROPERTIES FIXTURES_REQUIRED real_home)
endif()

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
  add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/ownHome.cpp)
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
    TEST_PREFIX "${SORVANE_TEST_PREFIX}"
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${SORVANE_TEST_ENVIRONMENT}" TIMEOUT 120 LABELS "${T_LABELS}"
               ${SORVANE_TEST_FIXTURE_PROPERTIES})
endfunction()

function(sorvane_add_script_test)
  cmake_parse_arguments(T "" "NAME" "COMMAND;LABELS" ${ARGN})
  add_test(NAME ${T_NAME} COMMAND ${PROJECT_SOURCE_DIR}/cmake/ownHome.sh ${T_COMMAND})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "${SORVANE_TEST_ENVIRONMENT}" TIMEOUT 300 ${SORVANE_TEST_FIXTURE_PROPERTIES})
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

function(sorvane_add_wine_code_page_test)
  cmake_parse_arguments(T "" "NAME" "COMMAND" ${ARGN})
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "${SORVANE_TEST_ENVIRONMENT};SORVANE_WINE_LOCALE=ja_JP.UTF-8"
    SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
    TIMEOUT 120 ${SORVANE_TEST_FIXTURE_PROPERTIES})
endfunction()

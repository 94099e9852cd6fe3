enable_testing()
include(GoogleTest)

# brightmere_add_test(<name> SOURCES ... [LIBS ...] [TIMEOUT s] [GUI])
# One GoogleTest executable run through Wine; ctest lists each of its cases as a test of its
# own ("<name>.Suite.Case"), so that a failure names the case. Every case takes the
# executable's properties: its TIMEOUT (300 s unless given), the label <name>, and for GUI
# tests the lock of the display and the prefix's DPI setting, which they share.
#
# The cases are listed when ctest starts (DISCOVERY_MODE PRE_TEST), by the program itself run
# through the cross-compiling emulator (tools/wine-run): listing needs Wine, which a build
# alone does not start.
function(brightmere_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} test_support test_product_texts GTest::gmock
                        GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_PREFIX "${name}."
    TEST_LIST ${name}_TESTS
    NO_PRETTY_VALUES)  # a case's name, not the bytes of its parameter
  brightmere_test_properties(${name} TIMEOUT ${T_TIMEOUT} LABELS ${name})
  if(T_GUI)
    brightmere_test_properties(${name} RESOURCE_LOCK display)
  endif()
endfunction()

# brightmere_test_properties(<name> <property> <value> ...)
# set_tests_properties for every case of a brightmere_add_test executable. The cases exist
# only once ctest has listed them, so the properties go into a script ctest includes after
# the listing; values may be lists and generator expressions. A property given again
# (RESOURCE_LOCK) is appended to, not replaced.
function(brightmere_test_properties name)
  set(known TIMEOUT LABELS RESOURCE_LOCK ENVIRONMENT FIXTURES_REQUIRED)
  cmake_parse_arguments(P "" "" "${known}" ${ARGN})
  if(P_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "brightmere_test_properties: unknown ${P_UNPARSED_ARGUMENTS}")
  endif()
  set(script "")
  foreach(property ${known})
    if(DEFINED P_${property})
      # ctest knows set_tests_properties only, which replaces: the value so far is kept in
      # a variable of ctest's scope and set again whole.
      set(var "_brightmere_${name}_${property}")
      string(APPEND script
        "list(APPEND ${var} [==[${P_${property}}]==])\n"
        "foreach(t IN LISTS ${name}_TESTS)\n"
        "  set_tests_properties(\"\${t}\" PROPERTIES ${property} \"\${${var}}\")\n"
        "endforeach()\n")
    endif()
  endforeach()
  get_property(count GLOBAL PROPERTY brightmere_test_properties_count)
  if(count STREQUAL "")
    set(count 0)
  endif()
  math(EXPR count "${count} + 1")
  set_property(GLOBAL PROPERTY brightmere_test_properties_count ${count})
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties_${count}.cmake")
  file(GENERATE OUTPUT "${file}" CONTENT "${script}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()

# On an x86_64 test build (a machine that cannot run 32-bit code, tools/test.sh): the i686
# installer that ships, built in its own tree with its ui_probe, to check as a file and to
# start once.
set(BRIGHTMERE_SHIPPED_BUILD "" CACHE PATH
    "The i686 build tree whose installer an x86_64 test build checks and smoke-runs (empty: none)")
if(BRIGHTMERE_SHIPPED_BUILD)
  set(BRIGHTMERE_SHIPPED_INSTALLER "${BRIGHTMERE_SHIPPED_BUILD}/app/brightmere-online-installer.exe")
endif()

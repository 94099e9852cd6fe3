enable_testing()

# brightmere_add_test(<name> SOURCES ... [LIBS ...] [TIMEOUT s] [GUI])
# One GoogleTest executable, run by ctest through Wine. GUI tests share the display and the
# prefix's DPI setting, so they take a common lock.
function(brightmere_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_GUI)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
  endif()
endfunction()

# On an x86_64 test build (a machine that cannot run 32-bit code, tools/test.sh): the i686
# installer that ships, built in its own tree with its ui_probe, to check as a file and to
# start once.
set(BRIGHTMERE_SHIPPED_BUILD "" CACHE PATH
    "The i686 build tree whose installer an x86_64 test build checks and smoke-runs (empty: none)")
if(BRIGHTMERE_SHIPPED_BUILD)
  set(BRIGHTMERE_SHIPPED_INSTALLER "${BRIGHTMERE_SHIPPED_BUILD}/app/brightmere-online-installer.exe")
endif()

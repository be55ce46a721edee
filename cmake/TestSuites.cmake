# vellum_test_suite(target [LABELS ...]): registers a GoogleTest program with CTest.
# Natively each case is its own CTest entry. Under an emulator (the win32 build runs
# under Wine, where every process costs seconds to start) the whole program is one
# entry, so a suite starts once.
include(GoogleTest)
function(vellum_test_suite target)
  cmake_parse_arguments(SUITE "" "" "LABELS" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1
             WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>)
    if(SUITE_LABELS)
      set_tests_properties(${target} PROPERTIES LABELS "${SUITE_LABELS}")
    endif()
  elseif(SUITE_LABELS)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${SUITE_LABELS}")
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# SPDX-License-Identifier: MIT
# vumbrel_add_test(NAME SOURCES a.cpp ... [LIBS lib ...] [LABELS label ...] [TIMEOUT s])
#
# One GoogleTest executable per call, registered as one CTest test. The label
# "concurrency" marks the tests that the ThreadSanitizer build runs; "gui"
# marks Qt tests (run offscreen).
function(vumbrel_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE vumbrel_flags vumbrel_testsupport ${T_LIBS}
                        GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if("concurrency" IN_LIST T_LABELS)
    set_property(GLOBAL APPEND PROPERTY VUMBREL_CONCURRENCY_TESTS ${name})
  endif()
endfunction()

# concurrency_tests: builds just the tests labelled "concurrency" (the
# ThreadSanitizer suite needs no others). Call once, after every test exists.
function(vumbrel_add_concurrency_target)
  get_property(tests GLOBAL PROPERTY VUMBREL_CONCURRENCY_TESTS)
  add_custom_target(concurrency_tests)
  if(tests)
    add_dependencies(concurrency_tests ${tests})
  endif()
endfunction()

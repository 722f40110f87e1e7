# varnholt_add_test(NAME [BOTH_ENGINES] SOURCES src... LIBS lib... [LABELS l...])
# One Qt Test program, run by CTest with the offscreen platform and a private
# home, so that settings written by a test never touch the user's own.
# BOTH_ENGINES runs it a second time as NAME_postgresql against the test
# server (tests/support/TestEngine.h).
function(varnholt_add_test name)
  cmake_parse_arguments(T "BOTH_ENGINES" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  # A test may load libkelvane at run time as the program does: the library
  # beside it, sharing the test's message service and database engine.
  set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)
  if(TARGET kelvane)
    add_dependencies(${name} kelvane)
  endif()
  set(runs ${name})
  if(T_BOTH_ENGINES)
    target_link_libraries(${name} PRIVATE vtest_support)
    list(APPEND runs ${name}_postgresql)
  endif()
  foreach(run IN LISTS runs)
    add_test(NAME ${run} COMMAND ${name})
    set(home ${CMAKE_BINARY_DIR}/testhome/${run})
    set(env "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/.config;XDG_RUNTIME_DIR=${home}/run;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp;UBSAN_OPTIONS=print_stacktrace=1")
    if(run STREQUAL "${name}_postgresql")
      list(APPEND env "VARNHOLT_TEST_ENGINE=postgresql")
    endif()
    set_tests_properties(${run} PROPERTIES ENVIRONMENT "${env}" LABELS "${T_LABELS}" TIMEOUT 600)
    file(MAKE_DIRECTORY ${home}/run)
    file(CHMOD ${home}/run DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  endforeach()
endfunction()

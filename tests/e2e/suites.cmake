# Read by CTest: a test e2e.<preset>.<suite> for each suite that the window
# test program listed when it was built, and each program under test, and
# e2e.<preset>-120dpi. Set before: listed (the list), run (the emulator and
# the test program), environment, and programs (preset, ORBELA.exe, whether
# it is 32-bit, the DLL to plant beside it, for each). Before the first
# build there is no list: a test says so and fails.
set(suites)
if(EXISTS "${listed}")
  file(STRINGS "${listed}" lines)
  foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z0-9_/]+)\\.$")
      list(APPEND suites ${CMAKE_MATCH_1})
    endif()
  endforeach()
endif()
list(GET programs 0 preset)
if(NOT suites)
  add_test(e2e.${preset}.suites sh -c "echo 'No window suites listed in ${listed}: build orbela_e2e first' >&2; exit 1")
  set_tests_properties(e2e.${preset}.suites PROPERTIES LABELS e2e)
endif()
# At 120 DPI, as Windows' large fonts set it, the tests of what can differ
# there: the layout and its texts, the title and the painted address, the
# room for the longest results.
set(at120dpi "StartUp.*:About.*:Velocity.TheLongestResultsShownWhole")
function(e2e_test test filter needs32 environment)
  add_test(${test} ${run} --gtest_filter=${filter} --gtest_color=no)
  set_tests_properties(${test} PROPERTIES LABELS "e2e;${test}" TIMEOUT 900 SKIP_RETURN_CODE 77
    ENVIRONMENT "${environment}")
  if(needs32)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED product.${build})
  endif()
endfunction()
while(programs)
  list(POP_FRONT programs build exe needs32 marker)
  set(for_it "${environment};ORBELA_EXE=${exe};ORBELA_NEEDS_32BIT=${needs32};ORBELA_MARKER=${marker}")
  foreach(suite IN LISTS suites)
    e2e_test(e2e.${build}.${suite} ${suite}.* ${needs32} "${for_it}")
  endforeach()
  if(suites)
    e2e_test(e2e.${build}-120dpi ${at120dpi} ${needs32} "${for_it};ORBELA_DPI=120")
  endif()
endwhile()

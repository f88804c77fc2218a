# sollux_add_tests(<name> <sources>...): a GoogleTest binary <name>_tests.exe for one
# subsystem, run by CTest under Wine through the cross-compiling emulator.
function(sollux_add_tests name)
  if(NOT SOLLUX_BUILD_TESTS)
    return()
  endif()
  add_executable(${name}_tests ${ARGN})
  target_link_libraries(${name}_tests PRIVATE sollux_test_support sollux_core gtest_main
                                              sollux_warnings)
  target_link_options(${name}_tests PRIVATE ${SOLLUX_STATIC_LINK})
  add_test(NAME ${name} COMMAND ${name}_tests)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
endfunction()

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

# sollux_add_prefix_test(<test> <binary> <script> <prefix> <sources>...): a GoogleTest binary that
# <script> runs in the Wine prefix <prefix> of its own, for what can only be staged when a
# wineserver starts (drive types). Creating and restarting such a prefix while other tests run
# makes Wine's cmd.exe fail to start a program now and then in the shared prefix, so these run
# alone.
function(sollux_add_prefix_test test binary script prefix)
  if(NOT SOLLUX_BUILD_TESTS)
    return()
  endif()
  add_executable(${binary} ${ARGN})
  target_link_libraries(${binary} PRIVATE sollux_test_support sollux_core gtest_main sollux_warnings)
  target_link_options(${binary} PRIVATE ${SOLLUX_STATIC_LINK})
  add_test(NAME ${test}
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${PROJECT_SOURCE_DIR}/tools
                   ${CMAKE_BINARY_DIR}/${prefix} $<TARGET_FILE:${binary}>)
  set_tests_properties(${test} PROPERTIES RUN_SERIAL TRUE)
endfunction()

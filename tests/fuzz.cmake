# Fuzzes the level-map loader for a bounded time under ASan and UBSan.
# Needs clang with libFuzzer (scripts/setup test installs both).
find_program(NULLVANE_CLANGXX NAMES clang++ clang++-14)
if(NULLVANE_CLANGXX)
  add_test(NAME fuzz_binary_map
    COMMAND ${CMAKE_COMMAND}
            -DCLANGXX=${NULLVANE_CLANGXX}
            -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/fuzz_binary_map
            -DSECONDS=20
            -P ${CMAKE_CURRENT_LIST_DIR}/fuzz/run_fuzz_binary_map.cmake)
  set_tests_properties(fuzz_binary_map PROPERTIES TIMEOUT 300 LABELS fuzz)
else()
  message(STATUS "clang++ not found: fuzz_binary_map is not run")
endif()

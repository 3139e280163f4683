# Builds the map-loader fuzzer with clang and runs it for a bounded time.
# Called by ctest:  cmake -DCLANGXX=... -DSOURCE_DIR=... -DWORK_DIR=... -DSECONDS=... -P this file
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/corpus)

set(fuzzer ${WORK_DIR}/fuzz_binary_map)
execute_process(
  COMMAND ${CLANGXX} -std=c++17 -g -O1 -Wall -Wextra
          -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
          -I${SOURCE_DIR}/Source -I${SOURCE_DIR}/src
          ${SOURCE_DIR}/tests/fuzz/fuzz_binary_map.cpp ${SOURCE_DIR}/Source/BinaryMap.cpp
          -o ${fuzzer}
  RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "building the fuzzer failed")
endif()

# New inputs go to the scratch corpus; the seeds in the tree stay read-only.
execute_process(
  COMMAND ${fuzzer} -max_total_time=${SECONDS} -max_len=4096 -timeout=10
          -artifact_prefix=${WORK_DIR}/ ${WORK_DIR}/corpus ${SOURCE_DIR}/tests/fuzz/corpus_binary_map
  RESULT_VARIABLE ran)
if(NOT ran EQUAL 0)
  message(FATAL_ERROR "the fuzzer found a failing input (see ${WORK_DIR})")
endif()

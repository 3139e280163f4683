# For the install and package tests (cmake -P scripts): starts an installed game from a
# folder of its own with a replay that skips the splash, takes New game from the menu and
# plays a moment of the first level. It fails unless the game gets there without a line
# about a missing file or map, that is unless it found its data from its own path.
function(nullvane_start_elsewhere game folder)
  file(MAKE_DIRECTORY "${folder}")
  # The cursor stays in the corner, away from the entries, wherever the X server's pointer is.
  file(WRITE "${folder}/new-game.txt"
       "start 0\nexpect 6\n150 - @0,0\n1 Enter @0,0\n90 - @0,0\n1 Enter @0,0\n120 - @0,0\n")
  execute_process(COMMAND "${game}" --replay new-game.txt WORKING_DIRECTORY "${folder}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 240)
  message("${output}")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${game} did not reach the first level (status ${status}):\n${errors}")
  endif()
  string(REGEX MATCHALL "[^\n]*(cannot|missing|Error in opening|Failed to read)[^\n]*" problems "${output}")
  if(problems)
    string(REPLACE ";" "\n" problems "${problems}")
    message(FATAL_ERROR "${game} misses data:\n${problems}")
  endif()
endfunction()

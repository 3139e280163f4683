# The player's tour: the real executable on a private X screen of its own, played through
# its window with xdotool and judged by its screenshots and the sound it mixes.
# Needs xdotool, python3-xlib, python3-numpy, python3-pil and vorbis-tools (scripts/setup test).
add_test(NAME tour
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/tour/tour.py
          --game $<TARGET_FILE:nullvane>
          --source ${PROJECT_SOURCE_DIR}
          --out ${CMAKE_CURRENT_BINARY_DIR}/tour)
# It plays on the real clock and waits on what it sees: minutes only on a machine that crawls.
set_tests_properties(tour PROPERTIES TIMEOUT 900 LABELS tour)

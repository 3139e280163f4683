# Every recorded replay under replays/ is played by the real game: each must end in the
# state it expects, with its checks holding.
file(GLOB REPLAY_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/replays/*.txt)
foreach(replay ${REPLAY_FILES})
  get_filename_component(name ${replay} NAME_WE)
  add_test(NAME replay_${name} COMMAND $<TARGET_FILE:nullvane> --replay ${replay}
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(replay_${name} PROPERTIES LABELS replay TIMEOUT 600)
endforeach()

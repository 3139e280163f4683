# The bad-data tests start the real program, so they need it built and need its path.
if(TARGET test_bad_data)
  add_dependencies(test_bad_data nullvane)
  target_compile_definitions(test_bad_data PRIVATE NULLVANE_EXE="$<TARGET_FILE:nullvane>")
endif()

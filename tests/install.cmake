# Installs the built game into a temporary prefix (with a space in it, as a home folder may
# have) and starts the installed game from another folder, under the X server the tests run
# on: it must find its data there (no line about a missing file or map) and go from the main
# menu into the first level. The menu entry and both icons are checked as well.
# Included by tests/CMakeLists.txt it adds the test; run with cmake -P it is the test.
if(NOT CMAKE_SCRIPT_MODE_FILE)
  add_test(NAME install_and_start_elsewhere
           COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/install-check
                   -P ${CMAKE_CURRENT_LIST_FILE})
  set_tests_properties(install_and_start_elsewhere PROPERTIES TIMEOUT 300)
  return()
endif()

set(prefix "${WORK}/my games")
set(elsewhere "${WORK}/elsewhere")
file(REMOVE_RECURSE "${WORK}")

execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()
foreach(file bin/nullvane share/nullvane/ArtAssets/Nullvane.png share/nullvane/ArtAssets/Font
             share/nullvane/ArtAssets/Music share/nullvane/BinaryMaps/Level1.txt)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# Icons: PNG files as large as their folder says (width and height of the IHDR chunk).
foreach(icon "256 0000010000000100" "48 0000003000000030")
  separate_arguments(icon)
  list(GET icon 0 size)
  list(GET icon 1 expected)
  set(path "${prefix}/share/icons/hicolor/${size}x${size}/apps/nullvane.png")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "no ${size}x${size} icon")
  endif()
  file(READ "${path}" signature HEX LIMIT 8)
  file(READ "${path}" dimensions HEX OFFSET 16 LIMIT 8)
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT dimensions STREQUAL expected)
    message(FATAL_ERROR "${path}: not a ${size}x${size} PNG (${signature} ${dimensions})")
  endif()
endforeach()

# The menu entry starts the installed executable by its full path and names the icon.
set(entry "${prefix}/share/applications/nullvane.desktop")
file(READ "${entry}" text)
foreach(line "Exec=\"${prefix}/bin/nullvane\"" "TryExec=${prefix}/bin/nullvane" "Icon=nullvane")
  string(FIND "${text}" "${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${entry} lacks the line ${line}:\n${text}")
  endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(NOT VALIDATE)
  message(FATAL_ERROR "desktop-file-validate not found (Debian package desktop-file-utils, from scripts/setup test)")
endif()
execute_process(COMMAND ${VALIDATE} "${entry}" RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "${entry} is not a valid menu entry:\n${output}")
endif()

# Started from another folder, it finds its data and goes from the menu into the first level.
include(${CMAKE_CURRENT_LIST_DIR}/support/start_elsewhere.cmake)
nullvane_start_elsewhere("${prefix}/bin/nullvane" "${elsewhere}")

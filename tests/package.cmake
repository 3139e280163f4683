# Builds the Debian package with scripts/package (into build-package/, so a package built
# before is only brought up to date) and checks it with dpkg-deb, without installing it:
# its control fields, that every picture, sound and map and the menu entry, icons, manual
# page, copyright and changelog are in it where Debian keeps them, and that the game
# unpacked from it finds its data from another folder and reaches the first level.
# Included by tests/CMakeLists.txt it adds the test; run with cmake -P it is the test.
if(NOT CMAKE_SCRIPT_MODE_FILE)
  # The package is a release build of its own: the sanitizer suite would check it again.
  if(NOT NULLVANE_SANITIZE)
    add_test(NAME debian_package
             COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
                     -DWORK=${CMAKE_CURRENT_BINARY_DIR}/package-check -P ${CMAKE_CURRENT_LIST_FILE})
    set_tests_properties(debian_package PROPERTIES TIMEOUT 900 LABELS package)
  endif()
  return()
endif()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${output}\n${errors}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

function(require text piece where)
  string(FIND "${text}" "${piece}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${where} lacks \"${piece}\":\n${text}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK}")

run("scripts/package" "${SOURCE}/scripts/package")
string(REGEX MATCH "[^\n]+\n?$" deb "${output}")
string(STRIP "${deb}" deb)
run("dpkg --print-architecture" dpkg --print-architecture)
string(STRIP "${output}" arch)
if(NOT deb MATCHES "/nullvane_${VERSION}_${arch}\\.deb$" OR NOT EXISTS "${deb}")
  message(FATAL_ERROR "scripts/package did not end with the package's path: '${deb}'")
endif()

# Control fields.
foreach(field "Package=nullvane" "Version=${VERSION}" "Architecture=${arch}" "Section=games")
  string(REPLACE "=" ";" field "${field}")
  list(GET field 0 name)
  list(GET field 1 expected)
  run("dpkg-deb -f" dpkg-deb -f "${deb}" ${name})
  string(STRIP "${output}" value)
  if(NOT value STREQUAL expected)
    message(FATAL_ERROR "${name}: '${value}', not '${expected}'")
  endif()
endforeach()
run("dpkg-deb -f" dpkg-deb -f "${deb}" Maintainer Description)
if(NOT output MATCHES "Maintainer: [^\n]+<[^@>]+@[^>]+>\nDescription: [^\n]+\n [^\n]+")
  message(FATAL_ERROR "no maintainer address or long description:\n${output}")
endif()
# Depends: the libraries dpkg-shlibdeps found in the executable, and the typeface.
run("dpkg-deb -f" dpkg-deb -f "${deb}" Depends)
foreach(dependency "fonts-liberation" "libc6 (>=" "libsdl2-2.0-0" "libopenal1" "libvorbisfile3"
                   "libfontconfig1" "libfreetype6" "libpng16-16" "libglew")
  require("${output}" "${dependency}" "Depends")
endforeach()
run("dpkg-deb -I" dpkg-deb -I "${deb}")
require("${output}" " md5sums" "the control archive")

# Contents: every file owned by root, nothing outside /usr, and each piece where it belongs.
run("dpkg-deb -c" dpkg-deb -c "${deb}")
set(listing "${output}")
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
foreach(line ${lines})
  if(NOT line MATCHES "^(drwxr-xr-x|-rw-r--r--) root/root .* \\./usr/" AND
     NOT line MATCHES "^-rwxr-xr-x root/root .* \\./usr/games/nullvane$")
    message(FATAL_ERROR "not root's, not readable by all, or outside /usr: ${line}")
  endif()
endforeach()
foreach(entry "-rwxr-xr-x root/root .* ./usr/games/nullvane\n"
              " ./usr/share/applications/nullvane.desktop\n"
              " ./usr/share/icons/hicolor/256x256/apps/nullvane.png\n"
              " ./usr/share/icons/hicolor/48x48/apps/nullvane.png\n"
              " ./usr/share/man/man6/nullvane.6.gz\n"
              " ./usr/share/doc/nullvane/copyright\n"
              " ./usr/share/doc/nullvane/changelog.gz\n")
  if(NOT listing MATCHES "${entry}")
    message(FATAL_ERROR "the package lacks ${entry}:\n${listing}")
  endif()
endforeach()
file(GLOB_RECURSE data RELATIVE "${SOURCE}" "${SOURCE}/ArtAssets/*" "${SOURCE}/BinaryMaps/*")
list(LENGTH data count)
if(count LESS 50)
  message(FATAL_ERROR "only ${count} data files in ${SOURCE}")
endif()
foreach(file ${data})
  require("${listing}" " ./usr/share/games/nullvane/${file}\n" "the package")
endforeach()

# The files themselves, unpacked into the work folder.
set(root "${WORK}/unpacked")
file(MAKE_DIRECTORY "${root}")
run("dpkg-deb -x" dpkg-deb -x "${deb}" "${root}")
run("file" file -b "${root}/usr/games/nullvane")
if(NOT output MATCHES "ELF" OR output MATCHES "not stripped")
  message(FATAL_ERROR "usr/games/nullvane is not a stripped executable: ${output}")
endif()
file(READ "${root}/usr/share/applications/nullvane.desktop" text)
require("${text}" "Exec=\"/usr/games/nullvane\"\n" "the menu entry")
file(READ "${root}/usr/share/doc/nullvane/copyright" text)
require("${text}" "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n" "copyright")
require("${text}" "License: Expat\n" "copyright")
run("gzip -t" gzip -t "${root}/usr/share/man/man6/nullvane.6.gz" "${root}/usr/share/doc/nullvane/changelog.gz")
run("gzip -dc" gzip -dc "${root}/usr/share/doc/nullvane/changelog.gz")
if(NOT output MATCHES "^nullvane \\(${VERSION}\\) ")
  message(FATAL_ERROR "the changelog's first entry is not version ${VERSION}:\n${output}")
endif()
run("gzip -dc" gzip -dc "${root}/usr/share/man/man6/nullvane.6.gz")
foreach(piece ".TH NULLVANE 6 " "Nullvane ${VERSION}" "--replay" "--watch" ".SH FILES" ".SH ENVIRONMENT"
              "settings.ini" "progress.ini" "XDG_CONFIG_HOME" "XDG_DATA_HOME" "/usr/share/games/nullvane/")
  string(REPLACE "-" "\\-" piece "${piece}")
  require("${output}" "${piece}" "the manual page")
endforeach()

# The unpacked game keeps the package's layout: started from another folder it must find its
# data from its own path (games/ to share/games/nullvane/), as an installed one does.
include(${CMAKE_CURRENT_LIST_DIR}/support/start_elsewhere.cmake)
nullvane_start_elsewhere("${root}/usr/games/nullvane" "${WORK}/elsewhere")

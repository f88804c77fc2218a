# Builds the release zip from this build tree with CPack and checks what it holds: Sollux.exe,
# the very file that was built, and the users' guide Sollux.txt with CRLF line ends and UTF-8's
# byte order mark, nothing else, in a zip named after the project's version.
#
#   cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake> -DWORK=<folder> -DEXE=<Sollux.exe>
#         -DNAME=<zip name> -P package_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${CPACK}" -G ZIP --config "${CONFIG}" -B "${WORK}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(failed)
  message(FATAL_ERROR "cpack failed:\n${output}")
endif()
file(GLOB zips RELATIVE "${WORK}" "${WORK}/*.zip")
if(NOT zips STREQUAL NAME)
  message(FATAL_ERROR "expected the one zip ${NAME}, found: '${zips}'")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tf "${WORK}/${NAME}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE listing ERROR_VARIABLE error)
if(failed)
  message(FATAL_ERROR "cannot list ${NAME}: ${error}")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
list(SORT entries)
if(NOT entries STREQUAL "Sollux.exe;Sollux.txt")
  message(FATAL_ERROR "${NAME} holds '${entries}', not exactly Sollux.exe and Sollux.txt")
endif()

set(unpacked "${WORK}/unpacked")
file(MAKE_DIRECTORY "${unpacked}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${WORK}/${NAME}"
                WORKING_DIRECTORY "${unpacked}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot unpack ${NAME}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${unpacked}/Sollux.exe" "${EXE}"
                RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "the zip's Sollux.exe is not the one that was built (${EXE})")
endif()

set(guide "${unpacked}/Sollux.txt")
file(READ "${guide}" mark LIMIT 3 HEX)
if(NOT mark STREQUAL "efbbbf")
  message(FATAL_ERROR "Sollux.txt does not start with UTF-8's byte order mark (${mark})")
endif()
# Byte by byte, as "xx " pairs: file(READ) as text would drop the carriage returns.
file(READ "${guide}" hex HEX)
string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
string(REPLACE "0d 0a " "" without_crlf "${bytes}")
if(NOT bytes MATCHES "0d 0a " OR without_crlf MATCHES "(^| )(0d|0a) ")
  message(FATAL_ERROR "Sollux.txt has a line end that is not CRLF")
endif()
file(READ "${guide}" text)
foreach(expected "\n## For the people who use it\n" "\nExit code, for scheduled tasks.")
  string(FIND "${text}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "Sollux.txt lacks the users' text '${expected}'")
  endif()
endforeach()
string(FIND "${text}" "For developers" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "Sollux.txt holds the developers' part of the README")
endif()
message(STATUS "${NAME}: Sollux.exe and Sollux.txt")

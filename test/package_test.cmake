# Builds the release zip from this build tree with CPack and checks what it holds: Sollux.exe,
# the very file that was built without its symbols (its manifest and version resource kept),
# and Sollux-restore.exe with its manifest and version resource, and the users' guides, Sollux.txt in Japanese and Sollux-English.txt, with CRLF line ends and
# UTF-8's byte order mark, nothing else, in a zip named after the project's version.
#
#   cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake> -DWORK=<folder> -DEXE=<Sollux.exe>
#         -DNAME=<zip name> -DSTRIP=<strip> -DOBJDUMP=<objdump> -P package_test.cmake
# strip writes the time of its run into the PE header: the zip's strip and the one below would
# differ whenever a second passed between them. Both honour SOURCE_DATE_EPOCH.
set(ENV{SOURCE_DATE_EPOCH} 1765238400)
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
if(NOT entries STREQUAL "Sollux-English.txt;Sollux-restore.exe;Sollux.exe;Sollux.txt")
  message(FATAL_ERROR "${NAME} holds '${entries}', not exactly Sollux.exe, Sollux-restore.exe, "
                      "Sollux.txt and Sollux-English.txt")
endif()

set(unpacked "${WORK}/unpacked")
file(MAKE_DIRECTORY "${unpacked}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${WORK}/${NAME}"
                WORKING_DIRECTORY "${unpacked}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot unpack ${NAME}")
endif()
# The zip's program is the built one without its symbols; the build tree's keeps them.
set(stripped "${WORK}/stripped.exe")
execute_process(COMMAND "${STRIP}" -o "${stripped}" "${EXE}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${STRIP} cannot strip ${EXE}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${unpacked}/Sollux.exe" "${stripped}"
                RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "the zip's Sollux.exe is not the one that was built (${EXE}), stripped")
endif()
function(sections exe out)
  execute_process(COMMAND "${OBJDUMP}" -h "${exe}" RESULT_VARIABLE failed OUTPUT_VARIABLE text)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${exe}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
sections("${EXE}" built_sections)
sections("${unpacked}/Sollux.exe" zip_sections)
if(NOT built_sections MATCHES "\\.debug_info")
  message(FATAL_ERROR "the test build's Sollux.exe has lost its symbols")
endif()
if(zip_sections MATCHES "\\.debug_" OR NOT zip_sections MATCHES "\\.rsrc")
  message(FATAL_ERROR "the zip's Sollux.exe keeps symbols or lost its resources:\n${zip_sections}")
endif()
foreach(program Sollux Sollux-restore)
  file(STRINGS "${unpacked}/${program}.exe" manifest REGEX "requestedExecutionLevel")
  file(STRINGS "${unpacked}/${program}.exe" version ENCODING UTF-16LE REGEX "^${program}.exe$")
  if(NOT manifest OR NOT version)
    message(FATAL_ERROR "the zip's ${program}.exe lacks its manifest or its version resource")
  endif()
endforeach()

# A guide with UTF-8's byte order mark, CRLF line ends only, the users' texts `expected` and
# no developers' part.
function(check_guide guide expected developers)
  file(READ "${guide}" mark LIMIT 3 HEX)
  if(NOT mark STREQUAL "efbbbf")
    message(FATAL_ERROR "${guide} does not start with UTF-8's byte order mark (${mark})")
  endif()
  # Byte by byte, as "xx " pairs: file(READ) as text would drop the carriage returns.
  file(READ "${guide}" hex HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  string(REPLACE "0d 0a " "" without_crlf "${bytes}")
  if(NOT bytes MATCHES "0d 0a " OR without_crlf MATCHES "(^| )(0d|0a) ")
    message(FATAL_ERROR "${guide} has a line end that is not CRLF")
  endif()
  file(READ "${guide}" text)
  foreach(line IN LISTS expected)
    string(FIND "${text}" "${line}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${guide} lacks the users' text '${line}'")
    endif()
  endforeach()
  string(FIND "${text}" "${developers}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${guide} holds the developers' part of its README")
  endif()
endfunction()
check_guide("${unpacked}/Sollux-English.txt"
            "\n## For the people who use it\n;\nExit code, for scheduled tasks." "For developers")
check_guide("${unpacked}/Sollux.txt" "\n## 使う方へ\n;\n### 終了コード (タスク スケジューラ用)\n"
            "開発者向け")
message(STATUS "${NAME}: Sollux.exe, Sollux-restore.exe, Sollux.txt and Sollux-English.txt")

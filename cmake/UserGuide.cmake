# Writes the users' part of README.md, everything above its developers' heading, as the text
# file of the release zip: CRLF line ends and UTF-8 with a byte order mark, so that Notepad on
# every Windows opens it right with a double click (older ones read a file without the mark in
# the ANSI code page). Markdown's emphasis marks, code quotes and fences are left out.
#
# The Japanese guide, README.ja.md, ends its users' part at its own heading, given as END.
#
#   cmake -DREADME=<README.md> -DOUTPUT=<Sollux.txt> [-DEND=<heading>] -P UserGuide.cmake
file(READ "${README}" text)
if(NOT DEFINED END)
  set(END "## For developers")
endif()
set(heading "\n${END}\n")
string(FIND "${text}" "${heading}" end)
if(end LESS 0)
  message(FATAL_ERROR "${README} has no heading '${END}': the users' part has no end")
endif()
math(EXPR end "${end} + 1")
string(SUBSTRING "${text}" 0 ${end} text)
string(REGEX REPLACE "```[a-z]*\n" "" text "${text}")
string(REPLACE "**" "" text "${text}")
string(REPLACE "`" "" text "${text}")
string(REGEX REPLACE "\n+$" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 byte_order_mark)
file(WRITE "${OUTPUT}.new" "${byte_order_mark}${text}")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")

# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Quorra maintainers
#
# CHANGELOG.md written as a Debian changelog, which is what a native
# package's changelog.gz is: one entry per "## VERSION (YYYY-MM-DD)" section,
# a "### Heading" as a top item, "- text" as an item under it, a plain
# paragraph as an item of its own.
#   cmake -DINPUT=CHANGELOG.md -DOUTPUT=changelog -DPACKAGE=quorra
#         -DMAINTAINER="Name <address>" -P DebianChangelog.cmake

# A date as RFC 5322 writes it (Sakamoto's rule for the day of the week).
function(rfc5322_date year month day out)
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR m "${month} - 1")
  list(GET offsets ${m} offset)
  set(y ${year})
  if(month LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
  set(days Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET days ${weekday} weekdayName)
  list(GET months ${m} monthName)
  set(${out} "${weekdayName}, ${day} ${monthName} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

file(READ "${INPUT}" text)
# Keep semicolons out of CMake's list splitting.
string(ASCII 1 semicolon)
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

set(result "")
set(entry "")
set(trailer "")
set(bullet "  *")   # items before any "###" are top items
set(paragraph OFF)
foreach(line IN LISTS lines)
  if(line MATCHES "^## ([^ ]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)")
    if(entry)
      string(APPEND result "${entry}\n${trailer}\n")
    endif()
    rfc5322_date(${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4} date)
    set(entry "${PACKAGE} (${CMAKE_MATCH_1}) unstable; urgency=medium\n\n")
    set(trailer " -- ${MAINTAINER}  ${date}\n")
    set(bullet "  *")
    set(paragraph OFF)
  elseif(NOT trailer OR line MATCHES "^ *$")
    # Before the first entry, and blank lines: nothing to write.
    set(paragraph OFF)
  elseif(line MATCHES "^### (.*)")
    string(APPEND entry "  * ${CMAKE_MATCH_1}:\n")
    set(bullet "    -")
    set(paragraph OFF)
  elseif(line MATCHES "^- (.*)")
    string(APPEND entry "${bullet} ${CMAKE_MATCH_1}\n")
    set(paragraph OFF)
  elseif(line MATCHES "^  +(.*)")
    set(rest "${CMAKE_MATCH_1}")
    string(REGEX REPLACE "." " " hang "${bullet}")
    string(APPEND entry "${hang} ${rest}\n")
  elseif(paragraph)
    string(APPEND entry "    ${line}\n")
  else()
    # A paragraph of its own: a top item.
    string(APPEND entry "  * ${line}\n")
    set(bullet "  *")
    set(paragraph ON)
  endif()
endforeach()
if(NOT entry)
  message(FATAL_ERROR "${INPUT} has no \"## VERSION (YYYY-MM-DD)\" entry")
endif()
string(APPEND result "${entry}\n${trailer}")
string(REPLACE "${semicolon}" ";" result "${result}")
file(WRITE "${OUTPUT}" "${result}")

# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Quorra maintainers

cmake_minimum_required(VERSION 3.25)
# The libraries' direction as a rule on folders. A file under src/domain, or
# under the virtual source's src/sim/source, may include neither a header of
# another library's folder (src/gui, src/report, src/sim/demo) nor a header of
# Qt Gui or Qt Widgets.
# SOURCE_ROOT is src; QT_HEADERS, if given, is Qt's include folder.
set(upper "")
foreach(root_and_glob "gui|${SOURCE_ROOT}/gui" "report|${SOURCE_ROOT}" "demo|${SOURCE_ROOT}/sim")
  string(REPLACE "|" ";" pair "${root_and_glob}")
  list(GET pair 0 folder)
  list(GET pair 1 root)
  if(folder STREQUAL "gui")
    file(GLOB_RECURSE headers "${root}/*.h")
  else()
    file(GLOB_RECURSE headers "${root}/${folder}/*.h")
  endif()
  foreach(header IN LISTS headers)
    file(RELATIVE_PATH name "${root}" "${header}")
    list(APPEND upper "${name}")
  endforeach()
endforeach()

file(GLOB_RECURSE lower "${SOURCE_ROOT}/domain/*" "${SOURCE_ROOT}/sim/source/*")
set(wrong "")
foreach(file IN LISTS lower)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*" "\\1" header "${line}")
    if(header IN_LIST upper OR header MATCHES "^(Qt(Gui|Widgets|Charts|Svg))(/|$)")
      list(APPEND wrong "${file} includes ${header}")
    elseif(QT_HEADERS AND header MATCHES "^Q[A-Za-z0-9]+$"
           AND (EXISTS "${QT_HEADERS}/QtGui/${header}" OR EXISTS "${QT_HEADERS}/QtWidgets/${header}"))
      list(APPEND wrong "${file} includes ${header} (Qt Gui or Qt Widgets)")
    endif()
  endforeach()
endforeach()
if(wrong)
  list(JOIN wrong "\n  " text)
  message(FATAL_ERROR "src/domain and src/sim/source must not include the window's libraries:\n  ${text}")
endif()

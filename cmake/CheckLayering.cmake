# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Quorra maintainers

cmake_minimum_required(VERSION 3.25)
# The libraries' direction as a rule on folders, every include written from
# src/. Each rule names the files it holds for and the folders and Qt modules
# they may not include:
#   src/domain, src/sim/source   nothing of gui/, report/, app/, sim/demo/;
#                                no Qt Gui, Widgets, Charts or Svg
#   src/report                   nothing of gui/, app/; no Qt Widgets
#   src/app, but the window's    nothing of gui/; no Qt Widgets
#   Application and main.cpp
# SOURCE_ROOT is src; QT_HEADERS, if given, is Qt's include folder.

set(wrong "")

# check(FILES FOLDERS MODULES): FOLDERS and MODULES are regular expressions.
function(check files folders modules)
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*" "\\1" header "${line}")
      if(header MATCHES "^(${folders})/")
        list(APPEND wrong "${file} includes ${header}")
      elseif(header MATCHES "^(Qt(${modules}))(/|$)")
        list(APPEND wrong "${file} includes ${header}")
      elseif(QT_HEADERS AND header MATCHES "^Q[A-Za-z0-9]+$")
        foreach(module IN LISTS ARGN)
          if(EXISTS "${QT_HEADERS}/Qt${module}/${header}")
            list(APPEND wrong "${file} includes ${header} (Qt ${module})")
          endif()
        endforeach()
      endif()
    endforeach()
  endforeach()
  set(wrong "${wrong}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE lower "${SOURCE_ROOT}/domain/*" "${SOURCE_ROOT}/sim/source/*")
check("${lower}" "gui|report|app|sim/demo" "Gui|Widgets|Charts|Svg" Gui Widgets)

file(GLOB_RECURSE drawing "${SOURCE_ROOT}/report/*")
check("${drawing}" "gui|app" "Widgets|Charts" Widgets)

file(GLOB headless "${SOURCE_ROOT}/app/*")
list(FILTER headless EXCLUDE REGEX "/(Application\\.(h|cpp)|main\\.cpp)$")
check("${headless}" "gui" "Widgets|Charts" Widgets)

if(wrong)
  list(JOIN wrong "\n  " text)
  message(FATAL_ERROR "An include goes against the libraries' direction:\n  ${text}")
endif()

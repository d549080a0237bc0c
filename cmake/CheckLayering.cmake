cmake_minimum_required(VERSION 3.25)
# Fails when a file of quorra_domain includes a header of quorra_gui or
# quorra_report.
# FILES names a script, written at configure time, that sets DOMAIN_FILES
# and GUI_FILES (absolute paths) and SOURCE_ROOT, the folder the include
# paths start from.
include("${FILES}")
set(gui_headers "")
foreach(file IN LISTS GUI_FILES)
  if(file MATCHES "\\.h$")
    file(RELATIVE_PATH header "${SOURCE_ROOT}" "${file}")
    list(APPEND gui_headers "${header}")
  endif()
endforeach()
set(wrong "")
foreach(file IN LISTS DOMAIN_FILES)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    if(header IN_LIST gui_headers OR header MATCHES "^(shell|report)/")
      list(APPEND wrong "${file} includes ${header}")
    endif()
  endforeach()
endforeach()
if(wrong)
  list(JOIN wrong "\n  " text)
  message(FATAL_ERROR "quorra_domain must not include quorra_gui:\n  ${text}")
endif()

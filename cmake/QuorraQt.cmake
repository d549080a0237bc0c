# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Quorra maintainers
#
# Qt modules are looked for one at a time, so that a missing module stops the
# configure with the Debian package that brings it, instead of taking other
# modules down with it or leaving targets (and tests) out without a word.
#
#   quorra_require_qt(<module> <what it is for> <Debian packages>...)
function(quorra_require_qt module purpose)
  find_package(Qt6 6.4 QUIET COMPONENTS ${module})
  if(NOT TARGET Qt6::${module})
    list(JOIN ARGN " " packages)
    message(FATAL_ERROR
      "Qt ${module} (${purpose}) was not found.\n"
      "On Debian 12 install it with:  apt-get install ${packages}\n"
      "(./run installs every package the build needs when run as root.)")
  endif()
endfunction()

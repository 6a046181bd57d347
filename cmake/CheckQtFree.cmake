# Fails the build when a core source includes a Qt header: the core must run
# and be tested without any window system.
#
#   cmake -DROOT=<source dir> -P CheckQtFree.cmake

cmake_minimum_required(VERSION 3.25)

set(core_folders model agents chart analysis sim)

# A wrong ROOT would otherwise pass with nothing checked.
if(NOT IS_DIRECTORY "${ROOT}")
  message(FATAL_ERROR "CheckQtFree: ROOT '${ROOT}' is not a directory")
endif()
cmake_path(ABSOLUTE_PATH ROOT NORMALIZE)

set(offenders "")
set(present "")
set(checked 0)
foreach(folder IN LISTS core_folders)
  if(NOT IS_DIRECTORY "${ROOT}/${folder}")
    continue()
  endif()
  list(APPEND present "${folder}/")
  file(GLOB_RECURSE files RELATIVE "${ROOT}" "${ROOT}/${folder}/*")
  list(SORT files)
  foreach(file IN LISTS files)
    math(EXPR checked "${checked} + 1")
    file(READ "${ROOT}/${file}" text)
    # Only lines that start with #include: a "// #include" line is a comment.
    string(REGEX MATCHALL "(^|\n)[ \t]*#[ \t]*include[ \t]*(<[^>\n]*>|\"[^\"\n]*\")"
      directives "${text}")
    set(rest "${text}")
    set(line 1)
    foreach(directive IN LISTS directives)
      # Walk the text in step with the matches to know each one's line.
      string(FIND "${rest}" "${directive}" at)
      string(SUBSTRING "${rest}" 0 ${at} before)
      string(REPLACE "\n" "" joined "${before}${directive}")
      string(LENGTH "${before}${directive}" span)
      string(LENGTH "${joined}" span_without_breaks)
      math(EXPR line "${line} + ${span} - ${span_without_breaks}")
      string(SUBSTRING "${rest}" ${span} -1 rest)

      string(STRIP "${directive}" directive)
      if(directive MATCHES "[<\"](Q[A-Za-z]|qt)[^>\"]*[>\"]$")
        list(APPEND offenders "${file}:${line}: ${directive}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(NOT present)
  list(JOIN core_folders "/ " names)
  message(FATAL_ERROR "CheckQtFree: no core folder in ${ROOT}\n  (looked for ${names}/)")
endif()
if(offenders)
  list(LENGTH offenders count)
  list(JOIN offenders "\n  " listing)
  message(FATAL_ERROR "CheckQtFree: ${count} Qt include(s) in the core, which builds without Qt:\n  ${listing}")
endif()
list(JOIN present " " present)
message(STATUS "CheckQtFree: ${checked} files in ${present} include no Qt")

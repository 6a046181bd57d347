# Fails the build when a core source includes a Qt header: the core must run
# and be tested without any window system.
#
#   cmake -DROOT=<source dir> -P CheckQtFree.cmake

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/IncludeDirectives.cmake)

set(core_folders model agents render chart files analysis sim batch)

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
    include_directives("${ROOT}/${file}" directives)
    foreach(item IN LISTS directives)
      string(REGEX MATCH "^([0-9]+):(.*)$" _ "${item}")
      set(line "${CMAKE_MATCH_1}")
      set(directive "${CMAKE_MATCH_2}")
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

# Fails the build when a core source includes a Qt header: the core must run
# and be tested without any window system.
file(GLOB_RECURSE core_files
  ${ROOT}/model/* ${ROOT}/agents/* ${ROOT}/analysis/* ${ROOT}/chart/*)
set(offenders "")
foreach(f IN LISTS core_files)
  file(STRINGS "${f}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt)")
  if(hits)
    list(APPEND offenders "${f}")
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "Qt includes in the core library: ${offenders}")
endif()

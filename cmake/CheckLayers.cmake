# Fails when a source includes a header from a folder above its own layer, so
# that each layer keeps building and testing without the layers above it.
#
#   cmake -DROOT=<source dir> -P CheckLayers.cmake

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/IncludeDirectives.cmake)

# Each folder, and the folders its sources may include.
set(layer_table
  "model:    model"
  "agents:   model agents"
  "render:   model agents render"
  "chart:    model agents chart"
  "files:    model files"
  "analysis: model agents render chart files analysis"
  "sim:      model agents render chart files analysis sim"
  "batch:    model agents render chart files analysis sim batch"
  "ui:       model agents render chart files analysis sim batch ui"
  "app:      model agents render chart files analysis sim batch ui app"
  "python:   model agents render chart files analysis sim python")
# Free to include anything and not checked, but never included by the layers.
set(unlayered_folders tests bench)
set(source_patterns *.h *.hpp *.cpp)

set(layers "")
foreach(row IN LISTS layer_table)
  if(NOT row MATCHES "^([A-Za-z0-9_]+):(.*)$")
    message(FATAL_ERROR "CheckLayers: bad row in the layer table: '${row}'")
  endif()
  set(folder "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" allowed)
  string(REGEX REPLACE "[ \t]+" ";" allowed "${allowed}")
  list(APPEND layers ${folder})
  set(allowed_${folder} ${allowed})
  list(TRANSFORM allowed APPEND "/")
  list(JOIN allowed ", " allowed)
  set(rule_${folder} "${folder}/ may include only ${allowed}")
endforeach()
set(project_folders ${layers} ${unlayered_folders})

# A wrong ROOT would otherwise pass with nothing checked.
if(NOT IS_DIRECTORY "${ROOT}")
  message(FATAL_ERROR "CheckLayers: ROOT '${ROOT}' is not a directory")
endif()
cmake_path(ABSOLUTE_PATH ROOT NORMALIZE)

set(violations "")
set(present "")
set(checked 0)
foreach(layer IN LISTS layers)
  if(NOT IS_DIRECTORY "${ROOT}/${layer}")
    continue()
  endif()
  list(APPEND present "${layer}/")
  list(TRANSFORM source_patterns PREPEND "${ROOT}/${layer}/" OUTPUT_VARIABLE globs)
  file(GLOB_RECURSE files RELATIVE "${ROOT}" ${globs})
  list(SORT files)
  foreach(file IN LISTS files)
    math(EXPR checked "${checked} + 1")
    get_filename_component(file_dir "${file}" DIRECTORY)
    include_directives("${ROOT}/${file}" directives)
    foreach(item IN LISTS directives)
      string(REGEX MATCH "^([0-9]+):(.*)$" _ "${item}")
      set(line "${CMAKE_MATCH_1}")
      set(directive "${CMAKE_MATCH_2}")
      string(REGEX MATCH "[<\"]([^>\"]*)[>\"]$" spelled "${directive}")
      set(target "${CMAKE_MATCH_1}")
      # The compiler looks beside the including file first for "..." includes.
      if(spelled MATCHES "^\"" AND EXISTS "${ROOT}/${file_dir}/${target}")
        set(target "${file_dir}/${target}")
      endif()
      cmake_path(NORMAL_PATH target)
      if(NOT target MATCHES "^([^/]+)/")
        continue()
      endif()
      set(target_folder "${CMAKE_MATCH_1}")
      if(target_folder IN_LIST project_folders AND
         NOT target_folder IN_LIST allowed_${layer})
        set(resolved "")
        if(NOT spelled STREQUAL "\"${target}\"" AND NOT spelled STREQUAL "<${target}>")
          set(resolved " (${target})")
        endif()
        list(APPEND violations "${file}:${line}: ${directive}${resolved}: ${rule_${layer}}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(NOT present)
  list(JOIN layers "/ " names)
  message(FATAL_ERROR "CheckLayers: no layer folder in ${ROOT}\n  (looked for ${names}/)")
endif()
if(violations)
  list(LENGTH violations count)
  list(JOIN violations "\n  " listing)
  message(FATAL_ERROR "CheckLayers: ${count} include(s) from a layer above:\n  ${listing}")
endif()
list(JOIN present " " present)
message(STATUS "CheckLayers: ${checked} files in ${present} include only from their own layer or below")

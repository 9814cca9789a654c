# Include check: every `#include "folder/..."` under src/ must point at the same layer or one
# below it on the layer line of docs/architecture.md, and a plain folder includes no window
# layer (a layer named ui or qt: platform/qt, ui, x/ui). The top of the line
# (the executables) may include any layer.
#
#   cmake -DROOT=<tree> -P CheckLayers.cmake
#     fails, listing each wrong include, when the tree breaks the line.
#   cmake -DROOT=<tree> -DEXPECT=<file;file;...> -P CheckLayers.cmake
#     the checker's own test: passes only when exactly the listed files (relative to
#     <tree>/src) hold wrong includes.
#
# The line is the first line of the doc indented by four blanks that names folders joined by
# " → ", bottom first.
cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
  message(FATAL_ERROR "CheckLayers: pass -DROOT=<source tree>")
endif()
get_filename_component(ROOT "${ROOT}" ABSOLUTE)
set(doc ${ROOT}/docs/architecture.md)
if(NOT EXISTS ${doc})
  message(FATAL_ERROR "CheckLayers: ${doc} not found")
endif()

file(STRINGS ${doc} doc_lines ENCODING UTF-8 REGEX "^    [a-z]")
set(line_text "")
foreach(l IN LISTS doc_lines)
  if(l MATCHES "^    [a-z_/]+( → [a-z_/]+)+ *$")
    set(line_text "${l}")
    break()
  endif()
endforeach()
if(line_text STREQUAL "")
  message(FATAL_ERROR "CheckLayers: no layer line (\"    a → b → ...\") in ${doc}")
endif()
string(STRIP "${line_text}" line_text)
string(REPLACE " → " ";" layers "${line_text}")
list(REMOVE_DUPLICATES layers)
list(GET layers -1 top)  # the executables: they may include any layer

# Sets <out> to the index on the line of the longest layer that is a prefix of path (a folder
# path relative to src/), or -1; <out_name> to that layer.
function(layer_of path out out_name)
  set(best -1)
  set(best_len 0)
  set(best_name "")
  set(i 0)
  foreach(layer IN LISTS layers)
    string(LENGTH "${layer}" n)
    if(path STREQUAL layer OR path MATCHES "^${layer}/")
      if(n GREATER best_len)
        set(best ${i})
        set(best_len ${n})
        set(best_name "${layer}")
      endif()
    endif()
    math(EXPR i "${i} + 1")
  endforeach()
  set(${out} ${best} PARENT_SCOPE)
  set(${out_name} "${best_name}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${ROOT}/src ${ROOT}/src/*.h ${ROOT}/src/*.cpp)
list(SORT sources)
set(problems "")
set(bad_files "")
foreach(rel IN LISTS sources)
  get_filename_component(dir "${rel}" DIRECTORY)
  layer_of("${dir}" own own_name)
  if(own EQUAL -1)
    list(APPEND problems "src/${rel}: folder src/${dir} is not on the layer line")
    list(APPEND bad_files "${rel}")
    continue()
  endif()
  file(STRINGS ${ROOT}/src/${rel} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
  foreach(inc IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" target "${inc}")
    get_filename_component(target_dir "${target}" DIRECTORY)
    if(target_dir STREQUAL "")
      continue()  # same folder or a generated header
    endif()
    layer_of("${target_dir}" other other_name)
    if(other EQUAL -1)
      continue()  # not one of ours
    endif()
    set(wrong "")
    if(other GREATER own)
      set(wrong "${other_name} is above ${own_name}")
    elseif(NOT own_name MATCHES "(^|/)(ui|qt)$" AND other_name MATCHES "(^|/)(ui|qt)$" AND NOT own_name STREQUAL top)
      set(wrong "plain folder ${own_name} includes window layer ${other_name}")
    endif()
    if(NOT wrong STREQUAL "")
      list(APPEND problems "src/${rel}: #include \"${target}\": ${wrong}")
      list(APPEND bad_files "${rel}")
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES bad_files)

if(DEFINED EXPECT)
  set(expected ${EXPECT})
  list(SORT expected)
  list(SORT bad_files)
  foreach(p IN LISTS problems)
    message(STATUS "${p}")
  endforeach()
  if(NOT "${expected}" STREQUAL "${bad_files}")
    message(FATAL_ERROR "CheckLayers self-test: expected wrong includes in [${expected}], found [${bad_files}]")
  endif()
  message(STATUS "CheckLayers self-test: found exactly the planted wrong includes")
  return()
endif()

if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "Includes against the layer line (${line_text}):\n${text}")
endif()
list(LENGTH sources n)
message(STATUS "Layer line holds for ${n} files: ${line_text}")

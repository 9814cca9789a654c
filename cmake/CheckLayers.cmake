# Include check: every include of the project's own headers under src/ must point at a layer
# that the including file's layer may use on the layer graph of docs/architecture.md
# (LayerGraph.cmake), and a plain folder includes no window layer (a layer named ui or qt:
# platform/qt, ui, x/ui). Every form counts: quoted ("tuning/x.h"), angle (<tuning/x.h>) and
# relative ("../diagnostics/x.h", "./qt/x.h", "ui/../../x/y.h"). A quoted path is taken as the
# compiler takes it: against the including file's folder first. An angle include whose first
# folder is no layer (<QString>, <vector>, <gtest/gtest.h>) is not ours. Nothing under src/
# includes a file outside src/ by a relative path.
# The graph itself must be sound: no layer named before it is listed, no plain layer reaching a
# window layer.
#
#   cmake -DROOT=<tree> -P CheckLayers.cmake
#     fails, listing each wrong include, when the tree breaks the graph.
#   cmake -DROOT=<tree> -DEXPECT=<file;file;...> -P CheckLayers.cmake
#     the checker's own test: passes only when exactly the listed files (relative to
#     <tree>/src) hold wrong includes.
cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
  message(FATAL_ERROR "CheckLayers: pass -DROOT=<source tree>")
endif()
get_filename_component(ROOT "${ROOT}" ABSOLUTE)
include(${CMAKE_CURRENT_LIST_DIR}/LayerGraph.cmake)
k45_read_layer_graph(${ROOT}/docs/architecture.md)
if(K45_LAYER_GRAPH_ERRORS)
  list(JOIN K45_LAYER_GRAPH_ERRORS "\n" text)
  message(FATAL_ERROR "The layer graph of ${ROOT}/docs/architecture.md is wrong:\n${text}")
endif()
set(layers ${K45_LAYERS})

# Sets <out> to the longest layer that is a prefix of path (a folder path relative to src/),
# or to the empty string.
function(layer_of path out)
  set(best "")
  set(best_len 0)
  foreach(layer IN LISTS layers)
    string(LENGTH "${layer}" n)
    if((path STREQUAL layer OR path MATCHES "^${layer}/") AND n GREATER best_len)
      set(best "${layer}")
      set(best_len ${n})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# Sets <out> to the header an include names, as a path relative to src/ (starting with ../ when
# it climbs out of src/), or to the empty string when it is not one of ours. A quoted include is
# looked up in the including file's folder first, as the compiler does; one written with ./ or
# ../ anywhere in it is always taken from there. An angle include is taken from src/ alone.
function(resolve_include dir written target out)
  set(from_src "${target}")
  cmake_path(NORMAL_PATH from_src)
  if(written MATCHES "^<")
    if(from_src MATCHES "^\\.\\./")
      set(from_src "")  # names no folder of src/
    endif()
    set(${out} "${from_src}" PARENT_SCOPE)
    return()
  endif()
  if(dir STREQUAL "")
    set(beside "${target}")
  else()
    set(beside "${dir}/${target}")
  endif()
  cmake_path(NORMAL_PATH beside)
  if(target MATCHES "(^|/)\\.\\.?/" OR EXISTS "${ROOT}/src/${beside}"
     OR NOT target MATCHES "/")
    set(${out} "${beside}" PARENT_SCOPE)  # beside the including file (or generated)
  else()
    set(${out} "${from_src}" PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE sources RELATIVE ${ROOT}/src ${ROOT}/src/*.h ${ROOT}/src/*.cpp)
list(SORT sources)
set(problems "")
set(bad_files "")
foreach(rel IN LISTS sources)
  get_filename_component(dir "${rel}" DIRECTORY)
  layer_of("${dir}" own)
  if(own STREQUAL "")
    list(APPEND problems "src/${rel}: folder src/${dir} is not on the layer graph")
    list(APPEND bad_files "${rel}")
    continue()
  endif()
  k45_layer_library("${own}" own_lib)
  k45_is_window_layer("${own}" own_window)
  file(STRINGS ${ROOT}/src/${rel} includes REGEX "^[ \t]*#[ \t]*include[ \t]*(\"[^\"]+\"|<[^>]+>)")
  foreach(inc IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*(\"[^\"]+\"|<[^>]+>).*$" "\\1" written "${inc}")
    string(REGEX REPLACE "^.(.*).$" "\\1" target "${written}")
    resolve_include("${dir}" "${written}" "${target}" path)
    if(path STREQUAL "")
      continue()  # not one of ours
    endif()
    if(path MATCHES "^\\.\\./")
      list(APPEND problems "src/${rel}: #include ${written}: reaches outside src/")
      list(APPEND bad_files "${rel}")
      continue()
    endif()
    get_filename_component(target_dir "${path}" DIRECTORY)
    layer_of("${target_dir}" other)
    if(other STREQUAL "")
      continue()  # not one of ours
    endif()
    k45_is_window_layer("${other}" other_window)
    set(wrong "")
    if(NOT other IN_LIST K45_LAYER_REACH_${own_lib})
      if(other_window AND NOT own_window)
        set(wrong "plain folder ${own} includes window layer ${other}")
      else()
        set(wrong "${own} may not use ${other}")
      endif()
    endif()
    if(NOT wrong STREQUAL "")
      set(shown "")
      if(NOT path STREQUAL target)
        set(shown " (src/${path})")
      endif()
      list(APPEND problems "src/${rel}: #include ${written}${shown}: ${wrong}")
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
  message(FATAL_ERROR "Includes against the layer graph of docs/architecture.md:\n${text}")
endif()
list(LENGTH sources n)
list(LENGTH layers nl)
message(STATUS "The layer graph (${nl} layers) holds for ${n} files")

# The layer graph of docs/architecture.md, read by the build (which links each library to the
# layers it may use) and by the include check (CheckLayers.cmake).
#
# The graph is the first run of lines indented by four blanks of the form
#     layer: used, used
# one line per source folder (relative to src/), bottom first: a layer names only layers listed
# above it, so the graph has no cycle. A layer may use what it names and, through them, what they
# may use. A layer named ui or qt (platform/qt, ui, x/ui) is a window layer; the last line is the
# executables.

# True in <out> when layer is a window layer.
function(k45_is_window_layer layer out)
  if(layer MATCHES "(^|/)(ui|qt)$")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

# The library of a layer: k45_<folder with / as _> (platform/qt: k45_platform_qt).
function(k45_layer_library layer out)
  string(REPLACE "/" "_" name "${layer}")
  set(${out} k45_${name} PARENT_SCOPE)
endfunction()

# Reads the graph of <doc>. Sets, in the caller's scope:
#   K45_LAYERS                 the layers, bottom first
#   K45_LAYER_USES_<library>   the layers that line names
#   K45_LAYER_REACH_<library>  every layer it may use, itself included
#   K45_LAYER_GRAPH_ERRORS     what is wrong with the graph itself (empty when it is sound)
function(k45_read_layer_graph doc)
  if(NOT EXISTS "${doc}")
    message(FATAL_ERROR "Layer graph: ${doc} not found")
  endif()
  file(STRINGS "${doc}" doc_lines ENCODING UTF-8)
  set(layers "")
  set(errors "")
  set(started FALSE)
  foreach(l IN LISTS doc_lines)
    if(l MATCHES "^    ([a-z_]+(/[a-z_]+)*):(( [a-z_]+(/[a-z_]+)*,?)*) *$")
      set(started TRUE)
      set(layer "${CMAKE_MATCH_1}")
      string(STRIP "${CMAKE_MATCH_3}" uses)
      string(REPLACE "," "" uses "${uses}")
      string(REGEX REPLACE " +" ";" uses "${uses}")
      k45_layer_library("${layer}" lib)
      if(layer IN_LIST layers)
        list(APPEND errors "${layer} is listed twice")
        continue()
      endif()
      set(reach "${layer}")
      foreach(u IN LISTS uses)
        if(NOT u IN_LIST layers)
          list(APPEND errors "${layer} uses ${u}, which is not listed above it")
          continue()
        endif()
        k45_layer_library("${u}" ulib)
        list(APPEND reach ${reach_${ulib}})
      endforeach()
      list(REMOVE_DUPLICATES reach)
      set(uses_${lib} "${uses}")
      set(reach_${lib} "${reach}")
      list(APPEND layers "${layer}")
    elseif(started)
      break()
    endif()
  endforeach()
  if(NOT layers)
    message(FATAL_ERROR "Layer graph: no graph (\"    layer: used, used\") in ${doc}")
  endif()

  # A plain layer reaches no window layer: the model, codecs and dialogues build without a
  # display. The executables (the last line) are the exception.
  list(GET layers -1 top)
  foreach(layer IN LISTS layers)
    k45_is_window_layer("${layer}" window)
    if(window OR layer STREQUAL top)
      continue()
    endif()
    k45_layer_library("${layer}" lib)
    foreach(r IN LISTS reach_${lib})
      k45_is_window_layer("${r}" rwindow)
      if(rwindow)
        list(APPEND errors "plain layer ${layer} may use window layer ${r}")
      endif()
    endforeach()
  endforeach()

  set(K45_LAYERS "${layers}" PARENT_SCOPE)
  set(K45_LAYER_GRAPH_ERRORS "${errors}" PARENT_SCOPE)
  foreach(layer IN LISTS layers)
    k45_layer_library("${layer}" lib)
    set(K45_LAYER_USES_${lib} "${uses_${lib}}" PARENT_SCOPE)
    set(K45_LAYER_REACH_${lib} "${reach_${lib}}" PARENT_SCOPE)
  endforeach()
endfunction()

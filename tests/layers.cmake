# Layers the build enforces: with the include path of a layer, a header of a
# higher layer cannot be found, while the layer's own headers compile.
#
# One header stands for each layer. Every probe is a one-line source that
# includes such a header and is only checked for syntax, with the compiler
# and include path of the target named. A probe header compiling with its
# own layer's path also shows that the refusals below are not about a
# header that is missing from the tree.
set(vt_layer_order platform core tableops export batch)
set(vt_probe_platform platform/text.h)
set(vt_probe_core core/codes.h)
set(vt_probe_tableops tableops/title.h)
set(vt_probe_export export/text.h)
set(vt_probe_batch batch/job.h)

set(vt_probe_dir ${CMAKE_CURRENT_BINARY_DIR}/layer_probes)
file(MAKE_DIRECTORY ${vt_probe_dir})

# layer_probe(<test name> <target whose include path is used> <layer of the
# header> <ALLOWED|REFUSED>)
function(layer_probe test target layer verdict)
  set(header ${vt_probe_${layer}})
  set(source ${vt_probe_dir}/${test}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${header}\"\n")
  add_test(NAME layers.${test}
    COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only
      "-I$<JOIN:$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>,;-I>" ${source}
    COMMAND_EXPAND_LISTS)
  if(verdict STREQUAL "REFUSED")
    # Any other compile error would not prove the point: only "not found"
    # for this very header counts.
    string(REPLACE "." "\\." pattern ${header})
    set_tests_properties(layers.${test} PROPERTIES
      PASS_REGULAR_EXPRESSION "${pattern}'?:? (No such file or directory|file not found)")
  endif()
endfunction()

# Every layer sees its own headers; no layer sees one of a layer above it.
set(below "")
foreach(layer IN LISTS vt_layer_order)
  layer_probe(${layer}_sees_${layer} vt_${layer} ${layer} ALLOWED)
  foreach(lower IN LISTS below)
    layer_probe(${lower}_cannot_see_${layer} vt_${lower} ${layer} REFUSED)
  endforeach()
  list(APPEND below ${layer})
endforeach()
# The dialogues stand on the exports, beside the batch driver.
set(vt_probe_dialogs dialogs/state.h)
layer_probe(dialogs_sees_dialogs vt_dialogs dialogs ALLOWED)
layer_probe(dialogs_sees_export vt_dialogs export ALLOWED)
layer_probe(export_cannot_see_dialogs vt_export dialogs REFUSED)
layer_probe(batch_cannot_see_dialogs vt_batch dialogs REFUSED)
layer_probe(dialogs_cannot_see_batch vt_dialogs batch REFUSED)
layer_probe(vtconv_cannot_see_dialogs vtconv dialogs REFUSED)
# The shared libraries stand beside the batch driver, not above it.
layer_probe(vtops_cannot_see_batch vtops batch REFUSED)
layer_probe(vtconv_cannot_see_batch vtconv batch REFUSED)

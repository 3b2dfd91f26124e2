# The layers of the program, bottom to top, and the one rule of direction: a
# folder reaches only itself and the folders below it. Each layer target gets
# as its include root a folder of the build tree that holds symbolic links to
# exactly the folders it may reach, so an include against the direction does
# not compile ("driver/run.h" does not resolve from dialog/). The same table
# is checked over the sources by scripts/check-layers.sh (CTest: layers.*).
set(DS_LAYERS_platform platform)
set(DS_LAYERS_text     text platform)
set(DS_LAYERS_crypto   crypto text platform)
set(DS_LAYERS_channel  channel text platform)
set(DS_LAYERS_session  session crypto channel text platform)
set(DS_LAYERS_dialog   dialog session crypto channel text platform)
# The transfer log reaches neither the dialog nor the channel.
set(DS_LAYERS_db       db session crypto text platform)
set(DS_LAYERS_driver   driver db dialog session crypto channel text platform)
# Companion programs: the layers below the dialog and their own folder.
set(DS_LAYERS_tools    db session crypto text platform)
# Tests, benchmarks and fuzz targets stand above everything.
set(DS_LAYERS_harness  driver db dialog session crypto channel text platform tools tests fuzz bench)

# ds_include_root(out name folders...): a folder of symbolic links to the
# named source folders (a folder "a/b" links only b inside a real folder a).
function(ds_include_root out name)
  set(root ${CMAKE_BINARY_DIR}/include_roots/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(folder ${ARGN})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# ds_layer_target(target layer): the project's warnings and the include root
# of the layer, passed on to whatever links the target.
function(ds_layer_target target layer)
  ds_warnings(${target})
  ds_include_root(root ${layer} ${DS_LAYERS_${layer}})
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# ds_tool_target(target folder): a companion program in tools/<folder>.
function(ds_tool_target target folder)
  ds_warnings(${target})
  ds_include_root(root tool_${folder} ${DS_LAYERS_tools} tools/${folder})
  target_include_directories(${target} PRIVATE ${root})
endfunction()

# ds_project_target(target): a test, benchmark or fuzz program, which may
# reach every folder.
function(ds_project_target target)
  ds_warnings(${target})
  get_property(root GLOBAL PROPERTY DS_HARNESS_ROOT)
  if(NOT root)
    ds_include_root(root harness ${DS_LAYERS_harness})
    set_property(GLOBAL PROPERTY DS_HARNESS_ROOT ${root})
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# The .cpp files directly inside a folder (not its sub-folders).
function(kyv_sources out folder)
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# The .cpp files of a folder and all its sub-folders (the game layers group
# their modules in sub-folders by concern).
function(kyv_sources_tree out folder)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# One game layer as an object library named kyv_<layer>; its objects are
# appended to kyv_core_objects in the caller's scope. The world, the battle
# and the menus take the modules of their sub-folders too; the shell's
# program/ folder holds the entry points and is built per program.
macro(kyv_layer layer)
  if(${layer} MATCHES "^(world|battle|menu)$")
    kyv_sources_tree(_layer_srcs ${layer})
  else()
    kyv_sources(_layer_srcs ${layer})
  endif()
  if(_layer_srcs)
    add_library(kyv_${layer} OBJECT ${_layer_srcs})
    target_link_libraries(kyv_${layer} PUBLIC kyv_options PkgConfig::LZO2)
    list(APPEND kyv_core_objects $<TARGET_OBJECTS:kyv_${layer}>)
  endif()
endmacro()

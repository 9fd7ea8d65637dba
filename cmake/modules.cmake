# The .cpp files directly inside a folder (not its sub-folders).
function(kyv_sources out folder)
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# One game layer as an object library named kyv_<layer>; its objects are
# appended to kyv_core_objects in the caller's scope.
macro(kyv_layer layer)
  kyv_sources(_layer_srcs ${layer})
  if(_layer_srcs)
    add_library(kyv_${layer} OBJECT ${_layer_srcs})
    target_link_libraries(kyv_${layer} PUBLIC kyv_options PkgConfig::LZO2)
    list(APPEND kyv_core_objects $<TARGET_OBJECTS:kyv_${layer}>)
  endif()
endmacro()

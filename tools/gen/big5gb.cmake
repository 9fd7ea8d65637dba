# The Big5 -> GB2312 pair table is made at build time from glibc's iconv and
# OpenCC's Traditional-to-Simplified dictionary, then compiled into the base
# layer. Included from the top-level CMakeLists after the layers exist.
if(TARGET kyv_base)
  find_program(KYV_OPENCC opencc REQUIRED)
  add_executable(big5gb_gen ${CMAKE_SOURCE_DIR}/tools/gen/big5gb_gen.cpp)
  # Built like the rest, so the sanitizer build checks it while it runs.
  target_link_libraries(big5gb_gen PRIVATE kyv_options)
  set(_big5gb_dir ${CMAKE_BINARY_DIR}/generated)
  add_custom_command(
    OUTPUT ${_big5gb_dir}/big5gb_pairs.cpp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_big5gb_dir}
    COMMAND big5gb_gen list ${_big5gb_dir}/big5_chars.txt
    COMMAND ${KYV_OPENCC} -c t2s.json -i ${_big5gb_dir}/big5_chars.txt -o ${_big5gb_dir}/big5_simplified.txt
    COMMAND big5gb_gen table ${_big5gb_dir}/big5_simplified.txt ${_big5gb_dir}/big5gb_pairs.cpp
    DEPENDS big5gb_gen
    COMMENT "Generating the Big5 to GB2312 pair table"
    VERBATIM)
  target_sources(kyv_base PRIVATE ${_big5gb_dir}/big5gb_pairs.cpp)
endif()

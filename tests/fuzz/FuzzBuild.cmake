# The fuzz build (preset "fuzz", CQP_FUZZ=ON): clang with libFuzzer, AddressSanitizer and UBSan.
# Clang has no -fexec-charset=GBK, so the module is compiled from a mirror of its sources whose
# string literals tools/gbk-sources.py has re-encoded to GBK; cqp_gbk_literals() then only
# silences clang's warning about the raw GBK bytes. The terminal host keeps its texts in UTF-8
# and is built from its own sources.

if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "CQP_FUZZ needs clang (libFuzzer); use the fuzz preset")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(CQP_GBK_MIRROR ${CMAKE_BINARY_DIR}/gbk)
set(CQP_GBK_MIRRORED_DIRECTORIES src tests/fuzz)

# Mirror at configure time; any change to a mirrored file (or a file added or removed) makes
# the next build reconfigure, which brings the mirror up to date.
execute_process(
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/gbk-sources.py
          --root ${PROJECT_SOURCE_DIR} --out ${CQP_GBK_MIRROR} ${CQP_GBK_MIRRORED_DIRECTORIES}
  RESULT_VARIABLE mirror_failed)
if(mirror_failed)
  message(FATAL_ERROR "tools/gbk-sources.py failed")
endif()
foreach(directory IN LISTS CQP_GBK_MIRRORED_DIRECTORIES)
  file(GLOB_RECURSE mirrored_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${directory}/*)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${mirrored_files})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/tools/gbk-sources.py)

# Every object is instrumented for coverage-guided fuzzing; only the fuzz targets link the
# fuzzer's main().
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)

# Optimised enough to fuzz quickly, with the debug information the sanitizers' reports need.
add_compile_options(-O1)

add_subdirectory(${CQP_GBK_MIRROR}/src ${CMAKE_BINARY_DIR}/src)
add_subdirectory(${PROJECT_SOURCE_DIR}/host ${CMAKE_BINARY_DIR}/host)
# The plugin library and the host program are not fuzzed as such: the core and the host's
# descriptor parser and trigger matcher are linked into the targets.
set_target_properties(cqp_module robothost cqapi PROPERTIES EXCLUDE_FROM_ALL ON)
add_subdirectory(${PROJECT_SOURCE_DIR}/tests/fuzz ${CMAKE_BINARY_DIR}/tests/fuzz)

# Generates, from src/plugin/exports.txt, the export names as GBK bytes:
#  - export_names.h: CQP_EXPORT_NAME(symbol) gives the GBK name as a C string with \x escapes,
#    and CQP_EXPORT_SYMBOL(symbol) the asm label that exports it under that name on ELF;
#  - exports.def (Windows): the module-definition file with the GBK names and ordinals.
# Keeping the names readable in one UTF-8 list and converting at build time keeps Chinese
# texts out of the sources as hex.
function(cqp_generate_exports list_file out_dir)
  find_program(ICONV iconv REQUIRED)
  file(STRINGS ${list_file} lines ENCODING UTF-8 REGEX "^[0-9]")
  set(header "// Generated from exports.txt by GenerateExports.cmake; do not edit.\n#pragma once\n\n")
  set(def_entries "")
  foreach(line IN LISTS lines)
    string(REPLACE " " ";" fields "${line}")
    list(GET fields 0 ordinal)
    list(GET fields 1 name)
    list(GET fields 2 symbol)
    list(GET fields 3 arguments)
    file(WRITE ${out_dir}/name.utf8 "${name}")
    execute_process(COMMAND ${ICONV} -f UTF-8 -t GBK ${out_dir}/name.utf8
                    OUTPUT_FILE ${out_dir}/name.gbk RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot convert export name ${name} to GBK")
    endif()
    file(READ ${out_dir}/name.gbk hex HEX)
    string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${hex}")
    string(APPEND header "#define CQP_EXPORT_NAME_${symbol} \"${escaped}\"\n")
    if(WIN32)
      math(EXPR bytes "${arguments} * 4")
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(target "${symbol}@${bytes}")
      else()
        set(target "${symbol}")
      endif()
      string(APPEND def_entries "  \"${name}\"=${target} @${ordinal}\n")
    endif()
  endforeach()
  string(APPEND header "\n#define CQP_EXPORT_NAME(symbol) CQP_EXPORT_NAME_##symbol\n")
  if(WIN32)
    # Names come from exports.def; the wrappers keep their C names.
    string(APPEND header "#define CQP_EXPORT_SYMBOL(symbol)\n")
    file(WRITE ${out_dir}/exports.def.utf8
         "LIBRARY \"Quessa宠物系统2.0.cqp.dll\"\nEXPORTS\n${def_entries}")
    execute_process(COMMAND ${ICONV} -f UTF-8 -t GBK ${out_dir}/exports.def.utf8
                    OUTPUT_FILE ${out_dir}/exports.def RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot convert exports.def to GBK")
    endif()
  else()
    string(APPEND header "#define CQP_EXPORT_SYMBOL(symbol) __asm__(CQP_EXPORT_NAME(symbol))\n")
  endif()
  file(WRITE ${out_dir}/export_names.h "${header}")
  file(REMOVE ${out_dir}/name.utf8 ${out_dir}/name.gbk)
endfunction()

# Compiler settings shared by every target of our own.

# Warnings are errors in our own code (not in GoogleTest or other third-party sources).
function(cqp_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wconversion -Wno-sign-conversion -Werror)
endfunction()

# Module code and its tests hold Chinese texts as UTF-8 in the source and as GBK in the binary.
function(cqp_gbk_literals target)
  target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK)
endfunction()

set(CQP_IS_WINDOWS ${WIN32})
if(WIN32)
  set(CQP_PLATFORM win32)
else()
  set(CQP_PLATFORM posix)
endif()

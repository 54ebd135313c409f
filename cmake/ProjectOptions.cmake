# Compiler settings shared by every target of our own.

# Warnings are errors in our own code (not in GoogleTest or other third-party sources).
function(cqp_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wconversion -Wno-sign-conversion -Werror)
  # The fuzz build's clang warns about things GCC does not; GCC's builds keep the gate.
  if(CQP_FUZZ)
    target_compile_options(${target} PRIVATE -Wno-error)
  endif()
endfunction()

# Module code and its tests hold Chinese texts as UTF-8 in the source and as GBK in the binary.
function(cqp_gbk_literals target)
  if(CQP_FUZZ)
    # Clang compiles the GBK mirror (tests/fuzz/FuzzBuild.cmake): the bytes are GBK already.
    target_compile_options(${target} PRIVATE -Wno-invalid-source-encoding)
  else()
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK)
  endif()
endfunction()

set(CQP_IS_WINDOWS ${WIN32})
if(WIN32)
  set(CQP_PLATFORM win32)
else()
  set(CQP_PLATFORM posix)
endif()

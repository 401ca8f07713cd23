# Warnings are set per target, never through global flags.
function(quillmark_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                         $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
  if(QUILLMARK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

option(QUILLMARK_WERROR "Treat warnings as errors" OFF)

# SPDX-License-Identifier: MIT
# Warnings are per target, so third-party code and generated sources stay out of it.
option(TOLLMARK_WERROR "Treat warnings as errors" OFF)

function(tollmark_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TOLLMARK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

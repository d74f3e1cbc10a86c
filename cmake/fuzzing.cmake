# SPDX-License-Identifier: MIT
# TOLLMARK_FUZZ adds the libFuzzer binaries of fuzz/ (clang only). Every target of such a tree
# gets libFuzzer's coverage instrumentation, so that the fuzzers see into the project's own
# libraries and not only into their entry points.
option(TOLLMARK_FUZZ "Build the libFuzzer targets of fuzz/ (clang only)" OFF)

if(TOLLMARK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TOLLMARK_FUZZ needs clang, e.g. -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

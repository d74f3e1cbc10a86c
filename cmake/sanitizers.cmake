# SPDX-License-Identifier: MIT
# TOLLMARK_SANITIZE=address,undefined builds everything with those sanitizers, and with the
# standard library's cheap checks of bounds and preconditions (not its debug mode, which
# changes the library's ABI).
set(TOLLMARK_SANITIZE "" CACHE STRING "Comma-separated sanitizers (address,undefined)")

if(TOLLMARK_SANITIZE)
  set(_flags -fsanitize=${TOLLMARK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_compile_options(${_flags})
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=${TOLLMARK_SANITIZE})
endif()

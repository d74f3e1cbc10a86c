# TOLLMARK_SANITIZE=address,undefined builds everything with those sanitizers.
set(TOLLMARK_SANITIZE "" CACHE STRING "Comma-separated sanitizers (address,undefined,thread)")

if(TOLLMARK_SANITIZE)
  set(_flags -fsanitize=${TOLLMARK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_compile_options(${_flags})
  add_link_options(-fsanitize=${TOLLMARK_SANITIZE})
endif()

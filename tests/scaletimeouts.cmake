# SPDX-License-Identifier: MIT
# Read by ctest before the tests of this folder and below: with TOLLMARK_TEST_TIMEOUT_SCALE
# set to a whole number, every test's time limit is that many times as long. Tests in an
# emulated machine (scripts/with-alsa without KVM) run several times slower than on the host
# the limits were chosen for. ctest's own --timeout leaves tests with a limit of their own
# alone, so the limit is scaled where ctest sets it: each property is set on its own, which
# keeps list values such as ENVIRONMENT whole.
if("$ENV{TOLLMARK_TEST_TIMEOUT_SCALE}" MATCHES "^[1-9][0-9]*$")
  function(set_tests_properties)
    set(i 0)
    set(tests)
    while(i LESS ARGC AND NOT "${ARGV${i}}" STREQUAL "PROPERTIES")
      list(APPEND tests "${ARGV${i}}")
      math(EXPR i "${i} + 1")
    endwhile()
    math(EXPR i "${i} + 1")
    while(i LESS ARGC)
      math(EXPR next "${i} + 1")
      set(value "${ARGV${next}}")
      if("${ARGV${i}}" STREQUAL "TIMEOUT")
        math(EXPR value "${value} * $ENV{TOLLMARK_TEST_TIMEOUT_SCALE}")
      endif()
      _set_tests_properties(${tests} PROPERTIES "${ARGV${i}}" "${value}")
      math(EXPR i "${i} + 2")
    endwhile()
  endfunction()
endif()

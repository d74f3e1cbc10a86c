# SPDX-License-Identifier: MIT
# TOLLMARK_JACK, on where libjack is found: the port layer's own handling of RtMidi's JACK
# clients (qrtmidi/qrtmidijack.h) and the tests that talk to JACK directly. That handling reads
# RtMidi's private data, so it is built only for the RtMidi releases whose layout it has been
# checked and tested with. With any other release, or without JACK, qrtmidijack_none.cpp
# stands in and RtMidi's JACK clients, where RtMidi has them, run on RtMidi's own paths.
set(TOLLMARK_JACK_RTMIDI_RELEASES 5.0.0 6.0.0)

if(PKG_CONFIG_FOUND)
  pkg_check_modules(JACK QUIET IMPORTED_TARGET GLOBAL jack)
endif()
option(TOLLMARK_JACK "Handle RtMidi's JACK clients in the port layer (needs libjack)" ${JACK_FOUND})
if(TOLLMARK_JACK AND NOT JACK_FOUND)
  message(FATAL_ERROR "TOLLMARK_JACK needs libjack's development files (libjack-jackd2-dev), "
    "or configure with -DTOLLMARK_JACK=OFF")
endif()

set(TOLLMARK_JACK_WORKAROUNDS OFF)
if(NOT TOLLMARK_JACK)
  message(STATUS "Tollmark: JACK support off")
elseif(TOLLMARK_RTMIDI_VERSION IN_LIST TOLLMARK_JACK_RTMIDI_RELEASES)
  set(TOLLMARK_JACK_WORKAROUNDS ON)
  message(STATUS "Tollmark: JACK support on, "
    "JACK workarounds active for RtMidi ${TOLLMARK_RTMIDI_VERSION}")
else()
  list(JOIN TOLLMARK_JACK_RTMIDI_RELEASES ", " _tollmark_known)
  message(STATUS "Tollmark: JACK support on, JACK workarounds off: they know RtMidi "
    "${_tollmark_known}, not ${TOLLMARK_RTMIDI_VERSION}; JACK runs on RtMidi's own paths")
endif()

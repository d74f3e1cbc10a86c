# SPDX-License-Identifier: MIT
# RtMidi as Tollmark::RtMidi: through pkg-config where it has a module, otherwise the header and
# library found on the search paths (a cross build without pkg-config sets CMAKE_PREFIX_PATH or
# RTMIDI_INCLUDE_DIR and RTMIDI_LIBRARY). TOLLMARK_RTMIDI_VERSION is the release its header
# declares.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(RTMIDI QUIET IMPORTED_TARGET GLOBAL rtmidi)
endif()

add_library(Tollmark::RtMidi INTERFACE IMPORTED)
if(RTMIDI_FOUND)
  target_link_libraries(Tollmark::RtMidi INTERFACE PkgConfig::RTMIDI)
  set(_tollmark_rtmidi_dirs ${RTMIDI_INCLUDE_DIRS})
else()
  find_path(RTMIDI_INCLUDE_DIR RtMidi.h PATH_SUFFIXES rtmidi)
  find_library(RTMIDI_LIBRARY NAMES rtmidi)
  if(NOT RTMIDI_INCLUDE_DIR OR NOT RTMIDI_LIBRARY)
    message(FATAL_ERROR "RtMidi not found: install its development files (librtmidi-dev), or set "
      "RTMIDI_INCLUDE_DIR and RTMIDI_LIBRARY")
  endif()
  target_include_directories(Tollmark::RtMidi INTERFACE ${RTMIDI_INCLUDE_DIR})
  target_link_libraries(Tollmark::RtMidi INTERFACE ${RTMIDI_LIBRARY})
  set(_tollmark_rtmidi_dirs ${RTMIDI_INCLUDE_DIR})
endif()

# The header names its release either whole (5.x) or in parts (6.x).
find_file(_tollmark_rtmidi_header RtMidi.h PATHS ${_tollmark_rtmidi_dirs} NO_DEFAULT_PATH)
if(NOT _tollmark_rtmidi_header)
  find_file(_tollmark_rtmidi_header RtMidi.h PATH_SUFFIXES rtmidi)
endif()
file(STRINGS ${_tollmark_rtmidi_header} _tollmark_rtmidi_defines REGEX "^#define RTMIDI_VERSION")
set(TOLLMARK_RTMIDI_VERSION "")
if(_tollmark_rtmidi_defines MATCHES "RTMIDI_VERSION \"([^\"]+)\"")
  set(TOLLMARK_RTMIDI_VERSION ${CMAKE_MATCH_1})
else()
  foreach(part MAJOR MINOR PATCH)
    if(_tollmark_rtmidi_defines MATCHES "RTMIDI_VERSION_${part} +([0-9]+)")
      list(APPEND TOLLMARK_RTMIDI_VERSION ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(JOIN TOLLMARK_RTMIDI_VERSION "." TOLLMARK_RTMIDI_VERSION)
  if(_tollmark_rtmidi_defines MATCHES "RTMIDI_VERSION_BETA +([1-9][0-9]*)")
    string(APPEND TOLLMARK_RTMIDI_VERSION "beta${CMAKE_MATCH_1}")
  endif()
endif()
message(STATUS "Tollmark: RtMidi ${TOLLMARK_RTMIDI_VERSION} (${_tollmark_rtmidi_header})")

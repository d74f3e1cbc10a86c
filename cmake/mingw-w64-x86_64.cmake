# SPDX-License-Identifier: MIT
# Cross-builds for 64-bit Windows with Debian's MinGW-w64 compilers, the POSIX-thread flavour
# that the C++ standard library's threads need. TOLLMARK_WINDOWS_KIT names the folder
# scripts/windows-kit fills with Qt and RtMidi for Windows; its Qt brings the host tools (moc,
# uic, rcc) that run during the build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLLMARK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLLMARK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLLMARK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLLMARK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOLLMARK_MINGW_TRIPLET})
# try_compile reads this file again in a fresh project, which needs the kit's folder too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOLLMARK_WINDOWS_KIT)
if(TOLLMARK_WINDOWS_KIT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TOLLMARK_WINDOWS_KIT}/qt ${TOLLMARK_WINDOWS_KIT}/rtmidi)
  # pkg-config sees only the kit's libraries, never the host's.
  set(ENV{PKG_CONFIG_LIBDIR} ${TOLLMARK_WINDOWS_KIT}/rtmidi/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

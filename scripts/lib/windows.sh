# SPDX-License-Identifier: MIT
# Shared by scripts/windows-kit and scripts/windows-build: the kit's versions and folder, and
# the packages that cross-build for Windows and run the result under Wine.

# Raise the recipe number whenever scripts/windows-kit builds the kit differently, so that a
# kit left by an older recipe is never reused.
TOLLMARK_WINDOWS_KIT_RECIPE=1
TOLLMARK_WINDOWS_DEBIAN_SUITE=bookworm
QT_VERSION=6.4.2
RTMIDI_VERSION=5.0.0

TOLLMARK_WINDOWS_KIT_CACHE="${TOLLMARK_WINDOWS_KIT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tollmark}"
TOLLMARK_WINDOWS_KIT="$TOLLMARK_WINDOWS_KIT_CACHE/windows-kit-qt$QT_VERSION-rtmidi$RTMIDI_VERSION-r$TOLLMARK_WINDOWS_KIT_RECIPE"

# The host's Qt 6 tools of the same version drive the cross build (moc, rcc, uic and the
# CMake packages that describe them); wine64 runs the tests, DejaVu gives the offscreen
# platform its fonts there.
TOLLMARK_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake
  ninja-build pkg-config dpkg-dev patch perl xz-utils debian-archive-keyring
  qt6-base-dev qt6-base-dev-tools wine64 fonts-dejavu-core zip imagemagick)

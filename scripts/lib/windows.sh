# SPDX-License-Identifier: MIT
# Shared by scripts/windows-kit and scripts/windows-build: the kit's versions and folder, and
# the packages that cross-build for Windows and run the result under Wine.

# Raise the recipe number whenever scripts/windows-kit builds the kit differently, so that a
# kit left by an older recipe is never reused.
TOLLMARK_WINDOWS_KIT_RECIPE=1
TOLLMARK_WINDOWS_DEBIAN_SUITE=bookworm
QT_VERSION=5.15.8
QT_SOURCE_PACKAGE=qtbase-opensource-src
RTMIDI_VERSION=5.0.0

TOLLMARK_WINDOWS_KIT_CACHE="${TOLLMARK_WINDOWS_KIT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tollmark}"
TOLLMARK_WINDOWS_KIT="$TOLLMARK_WINDOWS_KIT_CACHE/windows-kit-qt$QT_VERSION-rtmidi$RTMIDI_VERSION-r$TOLLMARK_WINDOWS_KIT_RECIPE"

# Qt builds its own host tools (moc, rcc, uic) for the cross build; wine64 runs the tests,
# DejaVu gives the offscreen platform its fonts there; rsvg-convert and ImageMagick draw the
# program's icon.
TOLLMARK_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 build-essential
  cmake ninja-build pkg-config dpkg-dev perl python3 xz-utils debian-archive-keyring wine64
  fonts-dejavu-core zip librsvg2-bin imagemagick)

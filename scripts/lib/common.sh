# SPDX-License-Identifier: MIT
# Shared by the project's scripts: installing the Debian packages they use
# and configuring a build directory.

TOLLMARK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
TOLLMARK_JOBS="${TOLLMARK_JOBS:-$(nproc)}"

# The packages every build and test run needs: the suite builds against Qt 5 and Qt 6.
TOLLMARK_BUILD_PACKAGES=(build-essential cmake pkg-config qtbase5-dev qtbase5-dev-tools
  librtmidi-dev libjack-jackd2-dev jackd2 poppler-utils)
TOLLMARK_QT6_PACKAGES=(qt6-base-dev qt6-base-dev-tools qt6-5compat-dev)
TOLLMARK_BUILD_PACKAGES+=("${TOLLMARK_QT6_PACKAGES[@]}")

# What building the Debian package needs (dpkg-shlibdeps finds its dependencies) and what
# checks the installed desktop entry, metainfo and man pages. The test suite installs the
# package into a scratch root, so it needs these too.
TOLLMARK_PACKAGING_PACKAGES=(dpkg-dev desktop-file-utils appstream-util groff-base gzip)
TOLLMARK_BUILD_PACKAGES+=("${TOLLMARK_PACKAGING_PACKAGES[@]}")

# What scripts/demo needs on a machine without a display: a virtual X server, a tool that
# finds and drives the window, and one that writes its screenshot.
TOLLMARK_DEMO_PACKAGES=(xvfb xdotool imagemagick)

# What the libFuzzer targets of fuzz/ are built with (scripts/fuzz).
TOLLMARK_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

# Installs the given Debian packages that are missing (apt-get update first,
# only when something must be installed).
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
      || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

# configure_build DIR [CMAKE ARGS...]
configure_build() {
  local dir="$1"
  shift
  cmake -S "$TOLLMARK_ROOT" -B "$TOLLMARK_ROOT/$dir" -DTOLLMARK_WERROR=ON "$@"
}

build_tree() {
  cmake --build "$TOLLMARK_ROOT/$1" --parallel "$TOLLMARK_JOBS"
}

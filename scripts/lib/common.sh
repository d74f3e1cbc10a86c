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
# checks the installed desktop entry, metainfo and man pages. scripts/package, a stage of
# .ci/run, unpacks the package into a scratch root and checks it there, so every machine that
# runs CI needs these too.
TOLLMARK_PACKAGING_PACKAGES=(dpkg-dev desktop-file-utils appstream-util groff-base gzip)
TOLLMARK_BUILD_PACKAGES+=("${TOLLMARK_PACKAGING_PACKAGES[@]}")

# What scripts/demo needs on a machine without a display: a virtual X server, a tool that
# finds and drives the window, and one that writes its screenshot.
TOLLMARK_DEMO_PACKAGES=(xvfb xdotool imagemagick)

# What the libFuzzer targets of fuzz/ are built with (scripts/fuzz).
TOLLMARK_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

# What scripts/with-alsa makes its virtual machine with and runs it on.
TOLLMARK_ALSA_GUEST_PACKAGES=(qemu-system-x86 busybox-static cpio kmod)

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

# build_path DIR: the build folder DIR, which is relative to the project's root unless it
# is absolute.
build_path() {
  case "$1" in
    /*) echo "$1" ;;
    *) echo "$TOLLMARK_ROOT/$1" ;;
  esac
}

# configure_build DIR [CMAKE ARGS...]
configure_build() {
  local dir="$1"
  shift
  cmake -S "$TOLLMARK_ROOT" -B "$(build_path "$dir")" -DTOLLMARK_WERROR=ON "$@"
}

# build_tree DIR [TARGET...]: everything, or only the targets given.
build_tree() {
  local dir="$1"
  shift
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake --build "$(build_path "$dir")" --parallel "$TOLLMARK_JOBS" "${targets[@]}"
}

# The stages a variable set to 0 leaves out, and what each of them is.
declare -A TOLLMARK_OPTIONAL_STAGES=(
  [TOLLMARK_ALSA_TESTS]="the midi tests over ALSA and the ALSA guest's fall-back to emulation"
  [TOLLMARK_WINDOWS_MIDI]="the Windows programs over MIDI in the ALSA guest"
)

# stage_runs VARIABLE: whether the stage VARIABLE switches runs; when it does not, says so.
stage_runs() {
  [ "${!1:-1}" != 0 ] && return 0
  echo "== skipped: ${TOLLMARK_OPTIONAL_STAGES[$1]} ($1=0)"
  return 1
}

# passed_line TEXT VARIABLE...: TEXT, and the stages among those the variables switch that
# were left out: a run that skipped some never reads as one that ran everything.
passed_line() {
  local text="$1" variable skipped=()
  shift
  for variable in "$@"; do
    [ "${!variable:-1}" != 0 ] || skipped+=("${TOLLMARK_OPTIONAL_STAGES[$variable]} ($variable=0)")
  done
  if [ ${#skipped[@]} -gt 0 ]; then
    text+="; skipped: $(printf '%s; ' "${skipped[@]}")"
    text="${text%; }"
  fi
  echo "$text"
}

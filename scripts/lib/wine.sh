# SPDX-License-Identifier: MIT
# Shared by the scripts that run the Windows build under Wine (scripts/wine-run,
# scripts/windows-build, scripts/libexec/windows-midi-checks): Windows' names of this machine's
# files, the environment of every run of Wine, and where MinGW's runtime DLLs are.

# windows_path PATH: the Windows name of a file of this machine, on Wine's drive Z:.
windows_path() {
  local path="$1"
  printf 'Z:%s' "${path//\//\\}"
}

# wine_environment PREFIX: runs of Wine after it use the private prefix PREFIX, say nothing on
# Wine's debug channels and, in a prefix made by them, ask for no Mono or Gecko installer. A
# caller's own WINEDEBUG or WINEDLLOVERRIDES stays.
wine_environment() {
  export WINEPREFIX="$1"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# The folder of MinGW's C++ runtime DLLs, which the cross-built programs load.
mingw_runtime_folder() {
  dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)"
}

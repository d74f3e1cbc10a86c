# SPDX-License-Identifier: MIT
# The small virtual machine of scripts/with-alsa: Debian's kernel and an initramfs of
# busybox and the few modules that give it the ALSA sequencer and the host's files over 9p.
# Both are built once per kernel version into a cache folder and reused.

# Loaded in this order after their dependencies: the virtio transport of 9p, 9p itself, the
# sequencer with its high-resolution timer (its default timer) and the dummy client, whose
# "Midi Through" port gives the library's default choice of service a port to find.
TOLLMARK_ALSA_GUEST_MODULES=(virtio_pci 9pnet_virtio 9p snd-hrtimer snd-seq snd-seq-dummy)

# Emulated (QEMU's TCG), the guest runs tests about four times slower than the host, up to six
# on a busy one: their time limits grow by this factor (tests/scaletimeouts.cmake).
TOLLMARK_ALSA_EMULATED_SCALE=6

alsa_guest_cache() {
  echo "${TOLLMARK_ALSA_GUEST_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tollmark/alsa-guest}"
}

# The versioned kernel package that Debian's linux-image-amd64 stands for, as apt's lists
# know it; they are brought up to date once when they know none.
alsa_guest_kernel_package() {
  local pkg
  pkg="$(alsa_guest_kernel_depends)"
  if [ -z "$pkg" ]; then
    apt-get update -qq >/dev/null 2>&1 || true
    pkg="$(alsa_guest_kernel_depends)"
  fi
  echo "$pkg"
}
alsa_guest_kernel_depends() {
  apt-cache depends linux-image-amd64 2>/dev/null \
    | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1
}

# alsa_guest_module_order DIR NAME...: the .ko paths under DIR for NAME and everything it
# needs, each after its dependencies and each once.
alsa_guest_module_order() {
  local dir="$1"
  shift
  local -A seen=()
  local order=()
  visit() {
    local name="$1" file dep
    [ -n "${seen[$name]:-}" ] && return 0
    seen[$name]=1
    file="$(find "$dir" -name "$name.ko" -print -quit)"
    [ -z "$file" ] && file="$(find "$dir" -name "${name//-/_}.ko" -print -quit)"
    if [ -z "$file" ]; then
      echo "with-alsa: the kernel package has no module $name" >&2
      return 1
    fi
    for dep in $(modinfo -F depends "$file" | tr ',' ' '); do
      visit "$dep" || return 1
    done
    order+=("$file")
  }
  local name
  for name in "$@"; do
    visit "$name" || return 1
  done
  printf '%s\n' "${order[@]}"
}

# alsa_guest_prepare: sets ALSA_GUEST_KERNEL and ALSA_GUEST_INITRD, building them when the
# cache has none for the current kernel package. Returns 1, having said why, when it cannot.
alsa_guest_prepare() {
  local cache pkg dest
  cache="$(alsa_guest_cache)"
  pkg="$(alsa_guest_kernel_package)"
  if [ -z "$pkg" ]; then
    echo "with-alsa: apt knows no kernel package behind linux-image-amd64" >&2
    return 1
  fi
  # A change of the guest's first process or of its modules makes a new image.
  dest="$cache/$pkg-$( (cat "$TOLLMARK_ROOT/scripts/libexec/alsa-guest-init"
    echo "${TOLLMARK_ALSA_GUEST_MODULES[*]}") | sha1sum | cut -c1-10)"
  ALSA_GUEST_KERNEL="$dest/vmlinuz"
  ALSA_GUEST_INITRD="$dest/initrd.gz"
  mkdir -p "$cache"
  # Runs side by side build the image once.
  (
    flock 8
    [ -s "$ALSA_GUEST_KERNEL" ] && [ -s "$ALSA_GUEST_INITRD" ] && exit 0
    alsa_guest_build "$pkg" "$dest"
  ) 8>"$cache/.lock"
}

# alsa_guest_build PACKAGE DEST: unpacks the kernel package in a scratch folder and keeps
# only the kernel and the initramfs.
alsa_guest_build() {
  local pkg="$1" dest="$2" work root mods file
  work="$(mktemp -d -t tollmark-alsa-guest.XXXXXX)"
  # shellcheck disable=SC2064
  trap "rm -rf '$work'" RETURN
  echo "with-alsa: building the guest from $pkg (once)" >&2
  (cd "$work" && apt-get download -q "$pkg" >/dev/null 2>&1) || {
    echo "with-alsa: apt-get download $pkg failed" >&2
    return 1
  }
  dpkg-deb -x "$work"/linux-image-*.deb "$work/pkg"
  root="$work/initramfs"
  mkdir -p "$root"/{bin,dev,proc,sys,root,xchg,modules}
  cp /bin/busybox "$root/bin/busybox"
  mods="$(alsa_guest_module_order "$work/pkg/lib/modules" "${TOLLMARK_ALSA_GUEST_MODULES[@]}")" \
    || return 1
  : >"$root/modules/order"
  while read -r file; do
    cp "$file" "$root/modules/"
    basename "$file" >>"$root/modules/order"
  done <<<"$mods"
  cp "$TOLLMARK_ROOT/scripts/libexec/alsa-guest-init" "$root/init"
  chmod 755 "$root/init" "$root/bin/busybox"
  mkdir -p "$dest.new"
  cp "$work"/pkg/boot/vmlinuz-* "$dest.new/vmlinuz"
  (cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$dest.new/initrd.gz"
  rm -rf "$dest"
  mv "$dest.new" "$dest"
}

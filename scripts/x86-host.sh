#!/usr/bin/env bash
# Tells whether this machine runs 32-bit x86 Linux programs, and with them
# the 32-bit Wine that the 32-bit hotfixes.exe needs. Some kernels refuse
# them ("Exec format error"); there, as root, qemu-i386 registered through
# binfmt_misc runs them, slowly.
#
#   x86-host.sh probe     prints the verdict; changes nothing
#   x86-host.sh prepare   where the kernel refuses 32-bit programs, installs
#                         qemu-user and registers qemu-i386 if that can be
#                         done, saying so on standard error; then prints
#                         the verdict. A machine that runs 32-bit programs
#                         itself is never touched.
#
# The verdict is one line on standard output, a word and why:
#   native: ...    the kernel runs 32-bit programs
#   emulated: ...  qemu-i386 runs them
#   none: ...      they cannot run here
# Exit code 0 with any verdict, 2 for a wrong command.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

loader=${HOTFIXES_WINE32_LOADER:-/usr/lib/wine/wine}
# Why install-deps.sh could not install the 32-bit Wine, when it could not.
wine32_missing=${HOTFIXES_DEPS_STATE_DIR:-build/install-deps}/wine32-missing
binfmt=/proc/sys/fs/binfmt_misc
handler=$binfmt/qemu-i386
qemu=/usr/bin/qemu-i386
refused="this machine cannot run 32-bit programs: the kernel refuses them (Exec format error)"

# 32-bit x86 ELF executables and shared objects, as Debian's qemu-user-binfmt
# describes the other architectures; F opens qemu-i386 now, so that it is
# found inside any mount namespace later.
registration=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'$qemu':F'

handler_enabled() {
  [[ -r $handler && "$(head -n 1 "$handler")" == enabled ]]
}

# Runs the 32-bit Wine loader: 0 when it ran, 1 when the kernel refused it,
# 2 when it is not there or failed otherwise.
try_loader() {
  [[ -x $loader ]] || return 2
  "$loader" --version >/dev/null 2>&1
  case $? in
    0) return 0 ;;
    126) return 1 ;;
    *) return 2 ;;
  esac
}

# Why the 32-bit Wine loader does not run: install-deps.sh's reason where
# it could not install it.
loader_failure() {
  if [[ ! -x $loader && -s $wine32_missing ]]; then
    head -n 1 "$wine32_missing"
  else
    echo "the 32-bit Wine loader $loader does not run"
  fi
}

probe() {
  # Our handler is registered only where the kernel refused, and once it is,
  # every 32-bit program goes through it.
  if handler_enabled; then
    if try_loader; then
      echo "emulated: $refused; qemu-i386 runs them, slowly"
    else
      echo "none: $refused, and qemu-i386 fails to run $loader: $(loader_failure)"
    fi
    return
  fi
  try_loader
  case $? in
    0) echo "native: the kernel runs 32-bit programs" ;;
    1) echo "none: $refused" ;;
    *) echo "none: $(loader_failure)" ;;
  esac
}

# Why qemu-i386 cannot be registered here; nothing once it is.
register_qemu() {
  ((EUID == 0)) || { echo "registering qemu-i386 needs root"; return 1; }
  if [[ ! -x $qemu ]]; then
    bash scripts/install-deps.sh qemu-user >&2 && [[ -x $qemu ]] ||
      { echo "qemu-user cannot be installed"; return 1; }
  fi
  if [[ ! -e $binfmt/register ]]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
      { echo "binfmt_misc cannot be mounted"; return 1; }
    echo "x86-host: mounted binfmt_misc on $binfmt" >&2
  fi
  if [[ -e $handler ]]; then
    echo 1 >"$handler" 2>/dev/null ||
      { echo "its binfmt_misc entry cannot be enabled"; return 1; }
    echo "x86-host: enabled the binfmt_misc entry $handler" >&2
    return 0
  fi
  printf '%s' "$registration" >"$binfmt/register" 2>/dev/null ||
    { echo "binfmt_misc refuses its registration"; return 1; }
  echo "x86-host: registered $qemu for 32-bit x86 programs ($handler)" >&2
}

prepare() {
  local verdict
  verdict=$(probe)
  if [[ $verdict != "none: $refused" ]]; then
    echo "$verdict"
    return
  fi
  local why
  if why=$(register_qemu); then
    probe
  else
    echo "none: $refused, and qemu-i386 cannot run them: $why"
  fi
}

case ${1:-} in
  probe) probe ;;
  prepare) prepare ;;
  *)
    echo "usage: x86-host.sh probe|prepare" >&2
    exit 2
    ;;
esac

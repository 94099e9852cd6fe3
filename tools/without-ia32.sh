#!/usr/bin/env bash
# without-ia32.sh COMMAND [ARGS...]
# Runs COMMAND as it would run on a machine whose kernel has IA-32 emulation off, on a machine
# that does run 32-bit code: the way to see what such a machine sees before calling a change
# done (for example `tools/without-ia32.sh bash .ci/run` in a clean clone).
#
# COMMAND runs in a user, mount and network namespace of its own (as root):
# - the namespace has its own binfmt_misc instance, in which every i386 ELF program fails to
#   start with "Exec format error", so tools/machine.sh finds "cannot run 32-bit code" and the
#   set-up registers its qemu-user entry in that instance, where it applies only inside;
# - its network is a loopback of its own and its /tmp a folder of its own: the tests' servers,
#   displays and Wine servers meet nothing running outside, and nothing inside reaches a
#   package registry.
# Package installation does not work inside, so the set-up's package and source steps run
# here first, outside, for a machine that cannot run 32-bit code (BRIGHTMERE_PREPARE_NO_IA32).
# Needs a kernel whose binfmt_misc can be mounted inside a user namespace (Linux 6.7 or later).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "without-ia32: run as root" >&2; exit 2; }

BRIGHTMERE_PREPARE_NO_IA32=1 "$top/tools/setup.sh"

# Inside: the namespace's own binfmt_misc, an entry that answers every i386 program with a
# failure (matched like the qemu entry, so that entry, registered later, takes precedence),
# a loopback network, then the command.
inner='
set -euo pipefail
read -r _ <"$1"; shift
ip link set lo up
# A /tmp of its own: display locks and sockets, Wine server sockets and temporary files
# meet nothing of a run outside.
mount -t tmpfs tmpfs /tmp
binfmt=/proc/sys/fs/binfmt_misc
mount -t binfmt_misc binfmt_misc "$binfmt"
refuse=$(mktemp)
printf "#!/bin/sh\necho \"\$1: cannot execute binary file: Exec format error\" >&2\nexit 126\n" >"$refuse"
chmod +x "$refuse"
magic="\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00"
mask="\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff"
# F: the kernel opens the interpreter now, so the file can go.
echo ":no-ia32:M::$magic:$mask:$refuse:F" >"$binfmt/register"
rm -f "$refuse"
echo "without-ia32: i386 programs fail to start in this namespace" >&2
exec "$@"
'
ready=$(mktemp -u)
mkfifo "$ready"
trap 'rm -f "$ready"' EXIT
unshare --user --mount --net --propagation private -- bash -c "$inner" bash "$ready" "$@" &
pid=$!
# The whole id range maps to itself, so root stays root and the tests may switch to other
# users (a database server refuses to run as root).
own=$(readlink /proc/self/ns/user)
while [ "$(readlink "/proc/$pid/ns/user" 2>/dev/null || echo "$own")" = "$own" ]; do
  kill -0 "$pid" 2>/dev/null || { wait "$pid"; exit $?; }
  sleep 0.01
done
echo "0 0 4294967295" >"/proc/$pid/uid_map"
echo "0 0 4294967295" >"/proc/$pid/gid_map"
echo go >"$ready"
status=0
wait "$pid" || status=$?
exit $status

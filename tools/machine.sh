# Sourced by tools/setup.sh, test.sh, demo.sh and bench/run.sh: which build this machine can
# run and test, and where each build tree lives.
#
# Some machines run a kernel with IA-32 emulation off: no i386 program starts there ("Exec
# format error"), so neither Wine's 32-bit loader nor the 32-bit installer can run. There the
# x86_64 build of the same sources is tested under wine64, and the i686 installer (what ships)
# is built and checked without running it, plus one smoke run through qemu-user.
#
# BRIGHTMERE_FORCE_64BIT=1 takes the 64-bit path on a machine that could run 32-bit code.
# BRIGHTMERE_PREPARE_NO_IA32=1 (tools/without-ia32.sh, outside its namespace) acts as a machine
# that cannot run 32-bit code, so that tools/setup.sh installs and builds what such a machine
# needs; setup.sh then registers no qemu entry.
#
# After brightmere_choose_arch:
#   BRIGHTMERE_RUNS_I386  1 when this machine runs i386 programs natively, else 0
#   BRIGHTMERE_TEST_ARCH  i686 or x86_64: the build that is run and tested here
#   BRIGHTMERE_TEST_BUILD its build tree (build/main for i686, build/main-x86_64)
#   BRIGHTMERE_SHIP_BUILD the i686 build tree (build/main), built on every machine

# The binfmt entry that lets a 64-bit-only machine run i386 programs through qemu-user.
BRIGHTMERE_BINFMT_NAME=brightmere-i386
BRIGHTMERE_BINFMT=/proc/sys/fs/binfmt_misc/$BRIGHTMERE_BINFMT_NAME

# Writes a minimal static i386 ELF program (exit(0) through int 0x80) to $1: it needs no i386
# library, so it tells the kernel's answer apart from a missing package.
_brightmere_write_i386_probe() {
  python3 - "$1" <<'PY'
import struct, sys
base = 0x08048000
code = bytes.fromhex("b801000000" "31db" "cd80")  # mov eax,1; xor ebx,ebx; int 0x80
size = 52 + 32 + len(code)
header = b"\x7fELF\x01\x01\x01" + bytes(9) + struct.pack(
    "<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
program = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
with open(sys.argv[1], "wb") as f:
    f.write(header + program + code)
PY
  chmod +x "$1"
}

# True when an i386 program runs natively. An emulator entry of ours would make every i386
# program "run" (sixty times slower), so it is switched off while the kernel is asked.
brightmere_runs_i386() {
  local probe rc=0 entry_on=0
  probe=$(mktemp)
  _brightmere_write_i386_probe "$probe"
  if [ -f "$BRIGHTMERE_BINFMT" ] && grep -qx enabled "$BRIGHTMERE_BINFMT"; then
    entry_on=1
    echo 0 >"$BRIGHTMERE_BINFMT"
  fi
  "$probe" >/dev/null 2>&1 || rc=$?
  [ $entry_on = 1 ] && echo 1 >"$BRIGHTMERE_BINFMT"
  rm -f "$probe"
  return $rc
}

brightmere_choose_arch() {
  local top=$1
  BRIGHTMERE_SHIP_BUILD="$top/build/main"
  if [ "${BRIGHTMERE_PREPARE_NO_IA32:-0}" != 1 ] && brightmere_runs_i386; then
    BRIGHTMERE_RUNS_I386=1
  else
    BRIGHTMERE_RUNS_I386=0
  fi
  if [ $BRIGHTMERE_RUNS_I386 = 1 ] && [ "${BRIGHTMERE_FORCE_64BIT:-0}" != 1 ]; then
    BRIGHTMERE_TEST_ARCH=i686
    BRIGHTMERE_TEST_BUILD="$top/build/main"
  else
    BRIGHTMERE_TEST_ARCH=x86_64
    BRIGHTMERE_TEST_BUILD="$top/build/main-x86_64"
  fi
  export BRIGHTMERE_RUNS_I386 BRIGHTMERE_TEST_ARCH BRIGHTMERE_TEST_BUILD BRIGHTMERE_SHIP_BUILD
}

# The one line that says what was found and what follows from it.
brightmere_describe_arch() {
  if [ "$BRIGHTMERE_TEST_ARCH" = i686 ]; then
    echo "machine: runs 32-bit code: building and testing the i686 installer (what ships)"
  elif [ $BRIGHTMERE_RUNS_I386 = 1 ]; then
    echo "machine: runs 32-bit code, but BRIGHTMERE_FORCE_64BIT=1: testing the x86_64 build" \
         "under wine64; the i686 installer is built, checked without running it and smoke-run once"
  else
    echo "machine: cannot run 32-bit code (an i386 program fails to start): testing the x86_64" \
         "build under wine64; the i686 installer is built, checked without running it and" \
         "smoke-run once through qemu-user"
  fi
}

# Lets i386 programs run through qemu-user (Debian's package registers no i386 entry on an
# amd64 host). F: the kernel opens the emulator now, so it works inside any mount namespace.
# Only for a machine that cannot run them itself: the entry takes precedence over the kernel's
# own loader, and everything 32-bit would then be sixty times slower.
brightmere_register_qemu_i386() {
  local binfmt=/proc/sys/fs/binfmt_misc
  [ -f "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ -f "$BRIGHTMERE_BINFMT" ]; then
    if grep -qx 'interpreter /usr/bin/qemu-i386' "$BRIGHTMERE_BINFMT"; then
      echo 1 >"$BRIGHTMERE_BINFMT"
      return
    fi
    echo -1 >"$BRIGHTMERE_BINFMT"  # an entry of an older set-up, for another qemu
  fi
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":$BRIGHTMERE_BINFMT_NAME:M::$magic:$mask:/usr/bin/qemu-i386:F" >"$binfmt/register"
}

# cmake's configure line for a build tree of the given architecture.
brightmere_configure() { # top build arch [cmake args...]
  local top=$1 build=$2 arch=$3; shift 3
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" \
    -C "$top/cmake/loopback-hosts.cmake" "$@" >/dev/null
}

#!/usr/bin/env bash
# Installs what the project needs on a Debian machine (run as root) and builds the
# third-party libraries that have no MinGW package into build/deps, for each architecture this
# machine builds (tools/machine.sh says which and prints why). Safe to run again: when
# everything is already there it only checks and returns.
#   setup.sh            prepares what tools/test.sh and tools/demo.sh need here
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/build/deps"
. "$top/tools/machine.sh"

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  binutils-mingw-w64-x86-64
  libz-mingw-w64-dev googletest
  wine wine32:i386 wine64
  xvfb xdotool imagemagick x11-utils fonts-wqy-microhei optipng iproute2 util-linux
  nsis osslsigncode softhsm2 libengine-pkcs11-openssl
  cmake ninja-build dpkg-dev python3 python3-pil openssl curl
  clang libclang-rt-14-dev libpugixml-dev zlib1g-dev
  g++ pkg-config libcpp-httplib-dev libsqlite3-dev libpq-dev postgresql libgtest-dev chromium
)

brightmere_choose_arch "$top"
brightmere_describe_arch
# Only a machine without 32-bit support runs the shipped installer through qemu-user: version 8
# or later, as a static program. bookworm's 7.2 starts 32-bit Wine in minutes and then crashes
# (SIGSEGV) or hangs in a multi-threaded program; its backports carry a current one.
qemu_backports=""
if [ "$BRIGHTMERE_RUNS_I386" = 0 ]; then
  . /etc/os-release
  if [ "${VERSION_CODENAME:-}" = bookworm ]; then qemu_backports=bookworm-backports; fi
  qemu_major=$( { /usr/bin/qemu-i386 --version 2>/dev/null || true; } | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p')
  if [ "${qemu_major:-0}" -lt 8 ]; then qemu_missing=1; fi
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

src_list=/etc/apt/sources.list.d/brightmere-deb-src.sources
need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
# Source packages come from the same archives as the binary ones: copy the machine's own
# deb822 list with the type switched to deb-src.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/; then
  sed -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$src_list"
  need_update=1
fi
backports_list=/etc/apt/sources.list.d/brightmere-backports.sources
if [ -n "$qemu_backports" ] && [ ! -f "$backports_list" ]; then
  # Backports are used only where asked for (-t), so nothing else moves to them.
  archive=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
  printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
    "${archive:-http://deb.debian.org/debian}" "$qemu_backports" \
    /usr/share/keyrings/debian-archive-keyring.gpg > "$backports_list"
  need_update=1
fi
if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ] || [ "${qemu_missing:-0}" = 1 ]; then
  echo "setup: installing ${missing[*]:-source lists}"
  apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
  if [ "${qemu_missing:-0}" = 1 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
      ${qemu_backports:+-t "$qemu_backports"} qemu-user
  fi
fi

mkdir -p "$deps/src"

fetch_source() { # package -> unpacked source dir name printed
  local pkg=$1
  local dir
  dir=$(find "$deps/src" -maxdepth 1 -type d -name "$pkg-*" | head -n 1)
  if [ -z "$dir" ]; then
    (cd "$deps/src" && apt-get source -q "$pkg" >/dev/null 2>"$deps/src/$pkg.log") || {
      apt-get update -q >/dev/null
      (cd "$deps/src" && apt-get source -q "$pkg" >/dev/null 2>"$deps/src/$pkg.log") ||
        build_failed "fetching the sources of $pkg" "$deps/src/$pkg.log"
    }
    dir=$(find "$deps/src" -maxdepth 1 -type d -name "$pkg-*" | head -n 1)
  fi
  echo "$dir"
}

# Prints the last lines of a dependency's log and fails.
build_failed() { # what log
  echo "setup: $1 failed; the end of $2:" >&2
  tail -n 30 "$2" >&2
  exit 1
}

# libcurl: static, HTTP only, without TLS; one per architecture, side by side. The reports
# are a plain POST to an http endpoint: what nothing of ours uses (TLS and its CA bundle, a
# cookie engine, HSTS and alt-svc caches, DNS over HTTPS, .netrc, MIME forms, AWS signing) is
# left out, which keeps the installer small. Without TLS no default CA bundle is compiled in
# either: the one detected on the build machine ("/etc/ssl/...") would name a folder any user
# can create at the root of the Windows drive. A build made with other options is made again.
curl_options=(
  -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF
  -DHTTP_ONLY=ON -DCURL_ENABLE_SSL=OFF -DCURL_USE_SCHANNEL=OFF -DCURL_USE_OPENSSL=OFF
  -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none -DCURL_USE_LIBSSH2=OFF
  -DCURL_ZLIB=OFF -DUSE_LIBIDN2=OFF -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON
  -DCURL_DISABLE_COOKIES=ON -DCURL_DISABLE_HSTS=ON -DCURL_DISABLE_ALTSVC=ON
  -DCURL_DISABLE_DOH=ON -DCURL_DISABLE_NETRC=ON -DCURL_DISABLE_MIME=ON -DCURL_DISABLE_AWS=ON
  -DENABLE_UNICODE=ON -DPICKY_COMPILER=OFF
)
build_curl() { # arch
  local arch=$1 prefix="$deps/$1/curl" work="$deps/$1/curl-build" log="$deps/$1/curl-build.log"
  local stamp="$prefix/build-options.txt"
  if [ -f "$prefix/lib/libcurl.a" ] && [ "$(cat "$stamp" 2>/dev/null)" = "${curl_options[*]}" ]; then
    return 0
  fi
  local curl_src
  curl_src=$(fetch_source curl)
  echo "setup: building libcurl for $arch from $curl_src"
  rm -rf "$work" "$prefix"
  mkdir -p "$deps/$arch"
  cmake -S "$curl_src" -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${curl_options[@]}" >"$log" 2>&1 || build_failed "building libcurl" "$log"
  { cmake --build "$work" && cmake --install "$work"; } >>"$log" 2>&1 || build_failed "building libcurl" "$log"
  echo "${curl_options[*]}" >"$stamp"
}
# The i686 build (what ships) is built everywhere; the x86_64 one where it is the tested one.
build_curl i686
if [ "$BRIGHTMERE_TEST_ARCH" = x86_64 ]; then build_curl x86_64; fi

# pugixml: only its sources are needed; the project compiles them with its own toolchain.
if [ ! -f "$deps/pugixml/src/pugixml.cpp" ]; then
  pugi_src=$(fetch_source pugixml)
  rm -rf "$deps/pugixml"
  cp -r "$pugi_src" "$deps/pugixml"
fi

if [ "$BRIGHTMERE_RUNS_I386" = 0 ] && [ "${BRIGHTMERE_PREPARE_NO_IA32:-0}" != 1 ]; then
  brightmere_register_qemu_i386
  echo "setup: i386 programs run through qemu-user ($BRIGHTMERE_BINFMT)"
fi
echo "setup: ready"

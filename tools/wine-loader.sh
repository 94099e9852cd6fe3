# Sourced by tools/with-wine and tools/wine-run.
# brightmere_wine_loader BUILD_DIR: the Wine loader for that build tree's programs. The `wine`
# wrapper takes the 32-bit loader first, which cannot even start where the kernel runs no
# 32-bit code; an x86_64 tree uses wine64's loader directly.
brightmere_wine_loader() {
  if grep -qs '^BRIGHTMERE_ARCH:INTERNAL=x86_64$' "$1/CMakeCache.txt"; then
    command -v wine64 || echo /usr/lib/wine/wine64
  else
    command -v wine
  fi
}

# Cross toolchain: 64-bit Windows, the test build for machines that cannot run 32-bit code
# (tools/machine.sh).
set(BRIGHTMERE_TOOLCHAIN_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

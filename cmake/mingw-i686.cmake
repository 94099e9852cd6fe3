# Cross toolchain: 32-bit Windows, the installer that ships.
set(BRIGHTMERE_TOOLCHAIN_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

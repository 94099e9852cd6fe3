# Third-party libraries. libcurl (per architecture) and pugixml are prepared by tools/setup.sh
# in build/deps;
# zlib comes from Debian's MinGW package; GoogleTest from Debian's source tree.
set(BRIGHTMERE_DEPS "${CMAKE_SOURCE_DIR}/build/deps" CACHE PATH "Where tools/setup.sh put the libraries it built")

# The static library: the import library would make the installer need a zlib1.dll beside it,
# which Windows does not have (Wine does, so it went unnoticed) and which a Downloads folder
# could plant. Trees configured before this still hold the import library in the cache.
set(ZLIB_USE_STATIC_LIBS ON)
if(ZLIB_LIBRARY_RELEASE MATCHES "\\.dll\\.a$")
  unset(ZLIB_LIBRARY_RELEASE CACHE)
  unset(ZLIB_LIBRARY CACHE)
endif()
find_package(ZLIB REQUIRED)

# libcurl as its own build installed it (static, Schannel): CURL::libcurl brings its headers,
# CURL_STATICLIB and the system libraries it needs. Only this copy: never the host's.
find_package(CURL CONFIG REQUIRED
  PATHS "${BRIGHTMERE_DEPS}/${BRIGHTMERE_ARCH}/curl" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)

add_library(pugixml STATIC "${BRIGHTMERE_DEPS}/pugixml/src/pugixml.cpp")
target_include_directories(pugixml SYSTEM PUBLIC "${BRIGHTMERE_DEPS}/pugixml/src")
# Without its STL interfaces: their stream overloads pull the C++ stream and locale libraries
# (600 KiB) into every program that reads markup.
target_compile_definitions(pugixml PUBLIC PUGIXML_NO_EXCEPTIONS PUGIXML_NO_STL)
target_compile_options(pugixml PRIVATE -w)

set(BRIGHTMERE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${BRIGHTMERE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

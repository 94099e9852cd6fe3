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

# libcurl as linked: a copy without its DWARF unwind tables (.eh_frame, 48 KiB of the i686
# executable). They serve only a C++ exception passing through libcurl's C frames, and none
# may (report/http_client.cpp). Made at configure time: setup.sh builds the library before.
get_target_property(_curl_built CURL::libcurl IMPORTED_LOCATION_RELEASE)
set(_curl_linked "${CMAKE_BINARY_DIR}/deps/libcurl.a")
find_program(BRIGHTMERE_OBJCOPY NAMES ${BRIGHTMERE_ARCH}-w64-mingw32-objcopy REQUIRED)
if("${_curl_built}" IS_NEWER_THAN "${_curl_linked}")
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/deps")
  execute_process(COMMAND "${BRIGHTMERE_OBJCOPY}" --remove-section=.eh_frame
                          "${_curl_built}" "${_curl_linked}"
                  RESULT_VARIABLE _curl_copied)
  if(NOT _curl_copied EQUAL 0)
    message(FATAL_ERROR "could not copy ${_curl_built} without its unwind tables")
  endif()
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_curl_built}")
# Every build type links the copy (libcurl is installed as a Release build only).
set_target_properties(CURL::libcurl PROPERTIES IMPORTED_LOCATION_RELEASE "${_curl_linked}"
                      MAP_IMPORTED_CONFIG_DEBUG Release MAP_IMPORTED_CONFIG_MINSIZEREL Release
                      MAP_IMPORTED_CONFIG_RELWITHDEBINFO Release)

add_library(pugixml STATIC "${BRIGHTMERE_DEPS}/pugixml/src/pugixml.cpp")
target_include_directories(pugixml SYSTEM PUBLIC "${BRIGHTMERE_DEPS}/pugixml/src")
# Without its STL interfaces: their stream overloads pull the C++ stream and locale libraries
# (600 KiB) into every program that reads markup.
target_compile_definitions(pugixml PUBLIC PUGIXML_NO_EXCEPTIONS PUGIXML_NO_STL)
# Nothing in pugixml throws (its own allocator, no XPath exceptions) and no callback of ours runs
# inside it: no unwind tables, 17 KiB less.
target_compile_options(pugixml PRIVATE -w -fno-exceptions -fno-asynchronous-unwind-tables)

set(BRIGHTMERE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${BRIGHTMERE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

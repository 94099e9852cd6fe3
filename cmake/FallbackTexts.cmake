# The texts the installer shows when its skin package (and so its string table) cannot be read:
# copied at configure time from the product's default-language table into the generated header
# fallback_texts.h (build::kFallbackTexts, the same `key = value` lines).
#
#   target_link_libraries(my_target PRIVATE fallback_texts)
set(_texts_file "${BRIGHTMERE_PRODUCT_DIR}/lang/${BRIGHTMERE_PRODUCT_DEFAULT_LANGUAGE}/strings.ini")
if(NOT EXISTS "${_texts_file}")
  message(FATAL_ERROR "${_texts_file}: the default language's string table is missing")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_texts_file}")
file(READ "${_texts_file}" _texts)
set(_fallback "")
foreach(_key skin_damaged prompt_caption)
  string(REGEX MATCH "\n[ \t]*${_key}[ \t]*=[^\r\n]*" _found "${_texts}")
  if(_found STREQUAL "")
    message(FATAL_ERROR "${_texts_file}: the key '${_key}' is missing")
  endif()
  string(SUBSTRING "${_found}" 1 -1 _found)
  string(REPLACE "\\" "\\\\" _found "${_found}")
  string(REPLACE "\"" "\\\"" _found "${_found}")
  string(APPEND _fallback "    \"${_found}\\n\"\n")
endforeach()
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/generated/fallback/fallback_texts.h" CONTENT
"// Generated from ${_texts_file} by cmake/FallbackTexts.cmake.
#pragma once

namespace build {

inline constexpr char kFallbackTexts[] =
${_fallback};

}  // namespace build
")
add_library(fallback_texts INTERFACE)
target_include_directories(fallback_texts INTERFACE "${CMAKE_BINARY_DIR}/generated/fallback")

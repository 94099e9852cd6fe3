# The product the installer is built for: its folder holds the settings, skin, texts and icon.
set(BRIGHTMERE_PRODUCT "products/brightmere" CACHE PATH
    "The product folder (relative to the source tree or absolute)")
get_filename_component(BRIGHTMERE_PRODUCT_DIR "${BRIGHTMERE_PRODUCT}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
if(NOT EXISTS "${BRIGHTMERE_PRODUCT_DIR}/themes" OR NOT EXISTS "${BRIGHTMERE_PRODUCT_DIR}/lang")
  message(FATAL_ERROR "BRIGHTMERE_PRODUCT: '${BRIGHTMERE_PRODUCT_DIR}' is not a product folder (it needs themes/ and lang/)")
endif()

# Overrides of the product's values for test and demo builds (cmake/loopback-hosts.cmake):
# empty means the product's value.
set(BRIGHTMERE_PACKAGE_HOST "" CACHE STRING "Host[:port] of the package endpoint (empty: the product's)")
set(BRIGHTMERE_REPORT_HOST "" CACHE STRING "Host[:port] of the reporting endpoint (empty: the product's)")
set(BRIGHTMERE_FALLBACK_HOST "" CACHE STRING "Host[:port] serving the fallback package over https (empty: the product's)")
set(BRIGHTMERE_AGREEMENT_HOST "" CACHE STRING "Host of the user-agreement page (empty: the product's)")
set(BRIGHTMERE_OFFLINE_HOST "" CACHE STRING "Host of the full-package page (empty: the product's)")
set(BRIGHTMERE_PACKAGE_SIGNER "" CACHE STRING "Common name of the package's signer (empty: the product's)")
set(BRIGHTMERE_PACKAGE_SIGNER_KEYS "" CACHE STRING
    "SHA-256 of the signer's public keys, 64 hex digits each, ;-separated (empty: the product's)")
set(BRIGHTMERE_PACKAGE_SIGNER_ISSUER "" CACHE STRING "Common name of the signer's issuer (empty: the product's)")
set(BRIGHTMERE_MIN_PACKAGE_VERSION "" CACHE STRING "Lowest package version accepted (empty: the product's)")
set(BRIGHTMERE_STALL_SECONDS 60 CACHE STRING
    "Seconds without any received byte after which a download attempt is given up")

# Signing the installer (tools/signing/sign_stub.sh, the target brightmere_signed_installer).
set(BRIGHTMERE_TIMESTAMP_URLS "" CACHE STRING
    "RFC 3161 timestamp servers, ;-separated, tried in turn (empty: no timestamp)")
set(BRIGHTMERE_SIGNING_CERTS "" CACHE FILEPATH
    "PEM file of the signing certificate and its chain (empty with a PKCS#11 key: the token's)")
set(BRIGHTMERE_SIGNING_KEY "" CACHE STRING
    "The signing key: a PEM file, or a PKCS#11 URI with BRIGHTMERE_PKCS11_MODULE (empty: no signing target)")
set(BRIGHTMERE_PKCS11_MODULE "" CACHE FILEPATH "PKCS#11 module of the hardware key (empty: a key file)")
set(BRIGHTMERE_PKCS11_CERT "" CACHE STRING "PKCS#11 URI of the signing certificate on the token")
set(BRIGHTMERE_SIGNING_CA "" CACHE FILEPATH
    "PEM roots the signed installer is verified against (empty: the system's)")

# The product's settings, checked, with the overrides applied: generated/build_settings.h for
# the sources and BRIGHTMERE_PRODUCT_<KEY> variables for the build.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(_product_overrides "")
foreach(_key PACKAGE_HOST REPORT_HOST FALLBACK_HOST AGREEMENT_HOST OFFLINE_HOST PACKAGE_SIGNER
             PACKAGE_SIGNER_KEYS PACKAGE_SIGNER_ISSUER MIN_PACKAGE_VERSION STALL_SECONDS)
  string(TOLOWER "${_key}" _name)
  string(REPLACE ";" "," _value "${BRIGHTMERE_${_key}}")
  list(APPEND _product_overrides "${_name}=${_value}")
endforeach()
execute_process(
  COMMAND "${Python3_EXECUTABLE}" "${CMAKE_SOURCE_DIR}/cmake/product_settings.py"
          "${BRIGHTMERE_PRODUCT_DIR}" "${CMAKE_BINARY_DIR}/generated" ${_product_overrides}
  RESULT_VARIABLE _product_result ERROR_VARIABLE _product_error)
if(NOT _product_result EQUAL 0)
  message(FATAL_ERROR "The product's settings: ${_product_error}")
endif()
include("${CMAKE_BINARY_DIR}/generated/product_settings.cmake")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${BRIGHTMERE_PRODUCT_DIR}/product.ini" "${CMAKE_SOURCE_DIR}/cmake/product_settings.py")

# The build that ships runs what it downloads as administrator: it must name whom it trusts,
# and the lowest package version: the signer's older, since-fixed packages are signed too.
if(CMAKE_BUILD_TYPE MATCHES "^(Release|MinSizeRel|RelWithDebInfo)$" AND (
   BRIGHTMERE_PRODUCT_PACKAGE_SIGNER STREQUAL "" OR BRIGHTMERE_PRODUCT_PACKAGE_SIGNER_KEYS STREQUAL "" OR
   BRIGHTMERE_PRODUCT_PACKAGE_SIGNER_ISSUER STREQUAL "" OR BRIGHTMERE_PRODUCT_MIN_PACKAGE_VERSION STREQUAL ""))
  message(FATAL_ERROR "A Release build needs BRIGHTMERE_PACKAGE_SIGNER, "
          "BRIGHTMERE_PACKAGE_SIGNER_KEYS, BRIGHTMERE_PACKAGE_SIGNER_ISSUER and "
          "BRIGHTMERE_MIN_PACKAGE_VERSION: the signer's name, the SHA-256 of its public key(s), "
          "its issuer's name and the lowest package version accepted (package_signer, "
          "package_signer_keys, package_signer_issuer and min_package_version in "
          "${BRIGHTMERE_PRODUCT_DIR}/product.ini)")
endif()
if(BRIGHTMERE_PRODUCT_PACKAGE_SIGNER STREQUAL "")
  message(WARNING "The package signer is empty: this installer runs any downloaded package unchecked")
endif()

# The names the rest of the build knew these values by.
set(BRIGHTMERE_DISPLAY_NAME "${BRIGHTMERE_PRODUCT_DISPLAY_NAME}")
set(BRIGHTMERE_FILE_VERSION "${BRIGHTMERE_PRODUCT_FILE_VERSION}")
set(BRIGHTMERE_CHANNEL_TAG "${BRIGHTMERE_PRODUCT_CHANNEL_TAG}")
set(BRIGHTMERE_EFFECTIVE_REPORT_HOST "${BRIGHTMERE_PRODUCT_EFFECTIVE_REPORT_HOST}")
set(BRIGHTMERE_SIGNING_NAME "${BRIGHTMERE_PRODUCT_DISPLAY_NAME}")
set(BRIGHTMERE_SIGNING_URL "${BRIGHTMERE_PRODUCT_SIGNING_URL}")
string(REPLACE "." "," BRIGHTMERE_FILE_VERSION_COMMAS "${BRIGHTMERE_FILE_VERSION}")

add_library(build_settings INTERFACE)
target_include_directories(build_settings INTERFACE ${CMAKE_BINARY_DIR}/generated)

# Release, the default and the build that ships (and is tested), is tuned for size: -Os, each
# function and datum in a section of its own, and the unused ones dropped at link time (the
# executable must stay within 1.5 MiB). Linked stripped: the debug sections the static runtime
# libraries bring (half a megabyte) would otherwise ship, and be read at every start.
foreach(_lang C CXX)
  set(CMAKE_${_lang}_FLAGS_RELEASE "-Os -DNDEBUG -ffunction-sections -fdata-sections")
endforeach()
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-Wl,--gc-sections -s")

# brightmere_add_product_resources(): the VERSIONINFO and CHANNEL resources from the settings.
include(${CMAKE_CURRENT_LIST_DIR}/ProductResources.cmake)

# The product the installer is built for: its folder holds the settings, skin, texts and icon.
set(BRIGHTMERE_PRODUCT "products/brightmere" CACHE PATH
    "The product folder (relative to the source tree or absolute)")
get_filename_component(BRIGHTMERE_PRODUCT_DIR "${BRIGHTMERE_PRODUCT}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
if(NOT EXISTS "${BRIGHTMERE_PRODUCT_DIR}/themes" OR NOT EXISTS "${BRIGHTMERE_PRODUCT_DIR}/lang")
  message(FATAL_ERROR "BRIGHTMERE_PRODUCT: '${BRIGHTMERE_PRODUCT_DIR}' is not a product folder (it needs themes/ and lang/)")
endif()

# Product and deployment settings that are fixed when the installer is built. A test or demo
# build points the hosts at a loopback host:port.
set(BRIGHTMERE_DISPLAY_NAME "明湖图片转换器" CACHE STRING "Product name shown to users")
set(BRIGHTMERE_CHANNEL_TAG "brand_online_10001" CACHE STRING "Channel tag stored in the CHANNEL resource (empty: no resource)")
set(BRIGHTMERE_FILE_VERSION "2.1.0.7" CACHE STRING "File version major.minor.build.revision")
set(BRIGHTMERE_PACKAGE_HOST "dl.brightmere.example" CACHE STRING "Host[:port] of the package endpoint")
set(BRIGHTMERE_REPORT_HOST "" CACHE STRING "Host[:port] of the reporting endpoint (empty: the package host)")
set(BRIGHTMERE_FALLBACK_HOST "cdn.brightmere.example" CACHE STRING "Host[:port] serving the fallback package over https")
set(BRIGHTMERE_AGREEMENT_HOST "www.brightmere.example" CACHE STRING "Host of the user-agreement page")
set(BRIGHTMERE_OFFLINE_HOST "www.brightmere.example" CACHE STRING "Host of the full-package page")
set(BRIGHTMERE_PACKAGE_SIGNER "Brightmere Software Ltd." CACHE STRING
    "Common name of the certificate that must sign the setup package (empty: not checked)")
set(BRIGHTMERE_PACKAGE_SIGNER_KEYS "" CACHE STRING
    "SHA-256 of the public keys (the certificate's SubjectPublicKeyInfo, 64 hex digits each, ;-separated) the package's signer may have (empty: any key)")
set(BRIGHTMERE_PACKAGE_SIGNER_ISSUER "" CACHE STRING
    "Common name of the certificate that issues the package signer's (empty: any issuer)")
set(BRIGHTMERE_MIN_PACKAGE_VERSION "" CACHE STRING
    "Lowest file version (major.minor.build.revision) of the setup package accepted (empty: any)")
# Signing the installer (tools/signing/sign_stub.sh, the target brightmere_signed_installer).
set(BRIGHTMERE_SIGNING_NAME "${BRIGHTMERE_DISPLAY_NAME}" CACHE STRING
    "Program name in the installer's signature (shown at the elevation prompt)")
set(BRIGHTMERE_SIGNING_URL "https://www.brightmere.example/" CACHE STRING
    "Product URL in the installer's signature")
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
set(BRIGHTMERE_STALL_SECONDS 60 CACHE STRING
    "Seconds without any received byte after which a download attempt is given up")
if(NOT BRIGHTMERE_STALL_SECONDS MATCHES "^[1-9][0-9]*$")
  message(FATAL_ERROR "BRIGHTMERE_STALL_SECONDS must be a whole number of seconds, got '${BRIGHTMERE_STALL_SECONDS}'")
endif()
foreach(_key IN LISTS BRIGHTMERE_PACKAGE_SIGNER_KEYS)
  if(NOT _key MATCHES "^[0-9a-fA-F]+$")
    message(FATAL_ERROR "BRIGHTMERE_PACKAGE_SIGNER_KEYS: '${_key}' is not a SHA-256 in hex")
  endif()
  string(LENGTH "${_key}" _key_length)
  if(NOT _key_length EQUAL 64)
    message(FATAL_ERROR "BRIGHTMERE_PACKAGE_SIGNER_KEYS: '${_key}' is not 64 hex digits long")
  endif()
endforeach()
if(NOT BRIGHTMERE_MIN_PACKAGE_VERSION STREQUAL "" AND
   NOT BRIGHTMERE_MIN_PACKAGE_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "BRIGHTMERE_MIN_PACKAGE_VERSION must have four numeric parts, got '${BRIGHTMERE_MIN_PACKAGE_VERSION}'")
endif()
# The build that ships runs what it downloads as administrator: it must name whom it trusts,
# and the lowest package version: the signer's older, since-fixed packages are signed too.
if(CMAKE_BUILD_TYPE MATCHES "^(Release|MinSizeRel|RelWithDebInfo)$" AND (BRIGHTMERE_PACKAGE_SIGNER STREQUAL "" OR
   BRIGHTMERE_PACKAGE_SIGNER_KEYS STREQUAL "" OR BRIGHTMERE_PACKAGE_SIGNER_ISSUER STREQUAL "" OR
   BRIGHTMERE_MIN_PACKAGE_VERSION STREQUAL ""))
  message(FATAL_ERROR "A Release build needs BRIGHTMERE_PACKAGE_SIGNER, "
          "BRIGHTMERE_PACKAGE_SIGNER_KEYS, BRIGHTMERE_PACKAGE_SIGNER_ISSUER and "
          "BRIGHTMERE_MIN_PACKAGE_VERSION: the signer's name, the SHA-256 of its public key(s), "
          "its issuer's name and the lowest package version accepted")
endif()
if(BRIGHTMERE_PACKAGE_SIGNER STREQUAL "")
  message(WARNING "BRIGHTMERE_PACKAGE_SIGNER is empty: this installer runs any downloaded package unchecked")
endif()

if(BRIGHTMERE_REPORT_HOST STREQUAL "")
  set(BRIGHTMERE_EFFECTIVE_REPORT_HOST "${BRIGHTMERE_PACKAGE_HOST}")
else()
  set(BRIGHTMERE_EFFECTIVE_REPORT_HOST "${BRIGHTMERE_REPORT_HOST}")
endif()

string(REPLACE "." ";" _version_parts "${BRIGHTMERE_FILE_VERSION}")
list(LENGTH _version_parts _version_count)
if(NOT _version_count EQUAL 4)
  message(FATAL_ERROR "BRIGHTMERE_FILE_VERSION must have four parts, got '${BRIGHTMERE_FILE_VERSION}'")
endif()
string(REPLACE "." "," BRIGHTMERE_FILE_VERSION_COMMAS "${BRIGHTMERE_FILE_VERSION}")

configure_file(${CMAKE_SOURCE_DIR}/cmake/build_settings.h.in
               ${CMAKE_BINARY_DIR}/generated/build_settings.h @ONLY)
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

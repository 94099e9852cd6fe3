# brightmere_add_product_resources(<target>
#     [FILE_VERSION a.b.c.d | NO_VERSION]
#     [CHANNEL_TAG text | CHANNEL_FILE path | NO_CHANNEL])
# Gives <target> the product's VERSIONINFO and CHANNEL (type "CHANNEL", id 138) resources.
# Without arguments the values come from the cache variables BRIGHTMERE_FILE_VERSION and
# BRIGHTMERE_CHANNEL_TAG; an empty channel tag means no CHANNEL resource. CHANNEL_FILE puts a
# file's bytes into the resource as they are (tests use it for tags that are not UTF-8).
# The resource holds the tag's UTF-8 bytes without a terminator, at most 260 bytes.
set(BRIGHTMERE_VERSION_INFO_TEMPLATE "${CMAKE_CURRENT_LIST_DIR}/version_info.rc.in")

# Writes content to path only when it differs, so that a reconfigure rebuilds nothing.
function(_brightmere_write_if_changed path content)
  file(WRITE "${path}.tmp" "${content}")
  file(COPY_FILE "${path}.tmp" "${path}" ONLY_IF_DIFFERENT)
  file(REMOVE "${path}.tmp")
endfunction()

function(brightmere_add_product_resources target)
  cmake_parse_arguments(R "NO_VERSION;NO_CHANNEL" "FILE_VERSION;CHANNEL_TAG;CHANNEL_FILE" ""
                        ${ARGN})
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_product_resources")
  file(MAKE_DIRECTORY "${dir}")
  set(rc "#pragma code_page(65001)\n")
  set(depends "")

  if(NOT R_NO_VERSION)
    if(NOT DEFINED R_FILE_VERSION)
      set(R_FILE_VERSION "${BRIGHTMERE_FILE_VERSION}")
    endif()
    if(NOT R_FILE_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
      message(FATAL_ERROR "${target}: file version must be four numbers a.b.c.d, got '${R_FILE_VERSION}'")
    endif()
    string(REPLACE "." ";" _parts "${R_FILE_VERSION}")
    foreach(_part ${_parts})
      if(_part GREATER 65535)
        message(FATAL_ERROR "${target}: each part of the file version must be at most 65535, got '${R_FILE_VERSION}'")
      endif()
    endforeach()
    set(RC_VERSION "${R_FILE_VERSION}")
    string(REPLACE "." "," RC_VERSION_COMMAS "${R_FILE_VERSION}")
    string(REPLACE "\"" "\"\"" RC_DISPLAY_NAME "${BRIGHTMERE_DISPLAY_NAME}")
    configure_file("${BRIGHTMERE_VERSION_INFO_TEMPLATE}" "${dir}/version_info.rc" @ONLY)
    string(APPEND rc "#include \"version_info.rc\"\n")
    list(APPEND depends "${dir}/version_info.rc")
  endif()

  set(channel_file "")
  if(R_CHANNEL_FILE)
    set(channel_file "${R_CHANNEL_FILE}")
  elseif(NOT R_NO_CHANNEL)
    if(NOT DEFINED R_CHANNEL_TAG)
      set(R_CHANNEL_TAG "${BRIGHTMERE_CHANNEL_TAG}")
    endif()
    if(NOT R_CHANNEL_TAG STREQUAL "")
      set(channel_file "${dir}/channel.bin")
      _brightmere_write_if_changed("${channel_file}" "${R_CHANNEL_TAG}")
    endif()
  endif()
  if(channel_file)
    file(SIZE "${channel_file}" _channel_size)
    if(_channel_size GREATER 260)
      message(FATAL_ERROR "${target}: the channel tag may have at most 260 bytes, got ${_channel_size}")
    endif()
    string(APPEND rc "138 CHANNEL \"${channel_file}\"\n")
    list(APPEND depends "${channel_file}")
  endif()

  if(NOT depends)
    return()  # windres refuses a script without resources
  endif()
  _brightmere_write_if_changed("${dir}/product.rc" "${rc}")
  set_source_files_properties("${dir}/product.rc" PROPERTIES OBJECT_DEPENDS "${depends}")
  target_sources(${target} PRIVATE "${dir}/product.rc")
endfunction()

# brightmere_delay_load(<target> <lib>...)
# Makes <target> import the named system libraries (as in target_link_libraries, e.g.
# version, crypt32) through delay-load thunks instead of its import table. The installer runs
# as administrator from a Downloads folder, and the loader resolves the import table from the
# program's own folder first; a delay-loaded library is loaded on first call instead, after
# start-up has restricted the search to System32 (app/dll_hardening.h).
#
# Each library's delay import library is made from MinGW's ordinary import library, so every
# function it exports is covered, and put in a per-target folder searched before the system
# folder: every -l<lib> on the link line, also the ones other libraries (libcurl) bring, then
# resolves to the delay thunks. Only libraries that are NOT KnownDLLs belong here.
# A function declared dllimport by its header cannot be delay-loaded this way: the link fails
# when one is called (check_delay_imports.cmake).
#
# The target's own binutils: an i686 delay library on an x86_64 link is only "skipping
# incompatible" to the linker, which then quietly takes the ordinary import library instead.
# i686 symbols carry a leading underscore, x86_64 ones do not.
find_program(BRIGHTMERE_NM NAMES ${BRIGHTMERE_ARCH}-w64-mingw32-nm REQUIRED)
find_program(BRIGHTMERE_DLLTOOL NAMES ${BRIGHTMERE_ARCH}-w64-mingw32-dlltool REQUIRED)
find_program(BRIGHTMERE_AR NAMES ${BRIGHTMERE_ARCH}-w64-mingw32-ar REQUIRED)

function(brightmere_delay_load target)
  set(script "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/make_delay_lib.cmake")
  set(dir "${CMAKE_BINARY_DIR}/delayload/${target}")
  set(outputs "")
  set(symbol_prefix "")
  if(BRIGHTMERE_ARCH STREQUAL "i686")
    set(symbol_prefix "_")
  endif()
  foreach(lib ${ARGN})
    find_library(BRIGHTMERE_IMPORT_${lib} NAMES ${lib} REQUIRED NO_CMAKE_ENVIRONMENT_PATH)
    set(out "${dir}/lib${lib}.a")
    add_custom_command(OUTPUT "${out}"
      COMMAND ${CMAKE_COMMAND} -DNM=${BRIGHTMERE_NM} -DDLLTOOL=${BRIGHTMERE_DLLTOOL} -DAR=${BRIGHTMERE_AR}
              -DSYMBOL_PREFIX=${symbol_prefix}
              -DIMPORT_LIB=${BRIGHTMERE_IMPORT_${lib}} -DDLL=${lib}.dll -DOUT=${out}
              -P "${script}"
      DEPENDS "${script}" "${BRIGHTMERE_IMPORT_${lib}}"
      COMMENT "Delay import library for ${lib}.dll" VERBATIM)
    list(APPEND outputs "${out}")
  endforeach()
  add_custom_target(${target}_delay_libs DEPENDS ${outputs})
  add_dependencies(${target} ${target}_delay_libs)
  target_link_directories(${target} BEFORE PRIVATE "${dir}")
  target_link_libraries(${target} PRIVATE ${ARGN})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${outputs})
  # A delay-loaded function must be called through its thunk (check_delay_imports.cmake).
  set(map "${dir}/${target}.map")
  target_link_options(${target} PRIVATE "LINKER:-Map=${map}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DOUTPUT=$<TARGET_FILE:${target}>
            -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/check_delay_imports.cmake"
    VERBATIM)
endfunction()

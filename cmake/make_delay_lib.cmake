# cmake -DNM= -DDLLTOOL= -DAR= -DSYMBOL_PREFIX= -DIMPORT_LIB= -DDLL= -DOUT= -P make_delay_lib.cmake
# Writes a .def of every function the import library IMPORT_LIB names and turns it into a
# delay import library OUT for DLL. Data exports are left out: they cannot be delay-loaded.
# Ordinary objects some import libraries carry (libgdiplus.a holds the variables its C++
# headers cache objects in) are copied into OUT as they are.
execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${IMPORT_LIB}")
endif()
# SYMBOL_PREFIX: "_" on i686, empty on x86_64.
string(REGEX MATCHALL "[0-9a-f]+ T ${SYMBOL_PREFIX}[A-Za-z0-9_@?$]+" thunks "${symbols}")
set(def "LIBRARY ${DLL}\nEXPORTS\n")
foreach(line ${thunks})
  string(REGEX REPLACE "^[0-9a-f]+ T ${SYMBOL_PREFIX}" "" name "${line}")
  string(APPEND def "${name}\n")
endforeach()
get_filename_component(dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
get_filename_component(stem "${OUT}" NAME_WE)
file(WRITE "${dir}/${stem}.def" "${def}")
# Made in its own folder under its plain file name: dlltool names the delay import descriptor
# after it (__DELAY_IMPORT_DESCRIPTOR_libgdiplus_a), which app/dll_hardening.h refers to.
execute_process(COMMAND ${DLLTOOL} -k --input-def "${stem}.def" --dllname ${DLL}
                        --output-delaylib "${stem}.a" WORKING_DIRECTORY "${dir}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dlltool failed for ${DLL}")
endif()

execute_process(COMMAND ${NM} -A ${IMPORT_LIB} OUTPUT_VARIABLE located RESULT_VARIABLE rc)
string(REGEX MATCHALL "[^:\n]+:[^:\n]+:[0-9a-f]+ [BD] [^\n]+" data_lines "${located}")
set(members "")
foreach(line ${data_lines})
  string(REGEX REPLACE "^[^:]+:([^:]+):.*$" "\\1" member "${line}")
  list(APPEND members "${member}")
endforeach()
list(REMOVE_DUPLICATES members)
if(members)
  set(work "${dir}/${stem}-objects")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}")
  execute_process(COMMAND ${AR} x ${IMPORT_LIB} ${members} WORKING_DIRECTORY "${work}"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "ar could not extract ${members} from ${IMPORT_LIB}")
  endif()
  execute_process(COMMAND ${AR} r "${OUT}" ${members} WORKING_DIRECTORY "${work}"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "ar could not add ${members} to ${OUT}")
  endif()
endif()

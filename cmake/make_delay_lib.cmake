# cmake -DNM= -DDLLTOOL= -DIMPORT_LIB= -DDLL= -DOUT= -P make_delay_lib.cmake
# Writes a .def of every function the import library IMPORT_LIB names and turns it into a
# delay import library OUT for DLL. Data exports are left out: they cannot be delay-loaded.
execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${IMPORT_LIB}")
endif()
string(REGEX MATCHALL "[0-9a-f]+ T _[A-Za-z0-9_@?$]+" thunks "${symbols}")
set(def "LIBRARY ${DLL}\nEXPORTS\n")
foreach(line ${thunks})
  string(REGEX REPLACE "^[0-9a-f]+ T _" "" name "${line}")
  string(APPEND def "${name}\n")
endforeach()
get_filename_component(dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
get_filename_component(stem "${OUT}" NAME_WE)
file(WRITE "${dir}/${stem}.def" "${def}")
execute_process(COMMAND ${DLLTOOL} -k --input-def "${dir}/${stem}.def" --dllname ${DLL}
                        --output-delaylib "${OUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dlltool failed for ${DLL}")
endif()

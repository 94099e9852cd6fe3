# cmake -DMAP=<link map> -DOUTPUT=<linked program> -P check_delay_imports.cmake
# Fails the link when a delay-loaded function is reached through its import slot (__imp_),
# as the headers that declare it dllimport make every caller do. The linker drops a delay
# thunk that only its slot refers to, so the slot holds zero and the first call jumps to
# address 0. Functions declared without dllimport call their thunk by name and keep it.
file(READ "${MAP}" map)
string(REGEX MATCHALL "/delayload/[^/\n]+/lib[^/(\n]+\\.a\\([^)\n]+\\)\n[^\n]*\\((_imp__|__imp_)[^)\n]+\\)"
       taken "${map}")
if(taken)
  set(names "")
  foreach(entry ${taken})
    string(REGEX REPLACE "^.*\\((_imp__|__imp_)([^)]+)\\)$" "\\2" name "${entry}")
    string(REGEX REPLACE "^/delayload/[^/]+/lib([^/(]+)\\.a.*$" "\\1" lib "${entry}")
    string(APPEND names "\n  ${name} (${lib}.dll)")
  endforeach()
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "delay-loaded functions called through their import slot, which would "
          "hold zero at run time:${names}\nCall them through base::GetSystemFunction, or do "
          "not delay-load their library.")
endif()

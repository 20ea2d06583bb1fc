# Writes the module definition from which a program's import library for
# ZBDB900.dll is made, the way a program of the suite links the DLL: each
# export that has its plain name, spelt with its stdcall decoration
# ("DBOpen@4"), so that dlltool --kill-at binds the compiler's _DBOpen@4 to
# the DLL's plain "DBOpen"; an export published only decorated is imported
# under its decorated name. Run as a script:
#
#   cmake -DEXPORTS_LIST=<exports.list> -DDEF_FILE=<out.def> -P ImportLibrary.cmake
cmake_minimum_required(VERSION 3.25)

file(STRINGS "${EXPORTS_LIST}" lines)
set(def "; Generated from exports.list by ImportLibrary.cmake. Do not edit.\n")
string(APPEND def "LIBRARY ZBDB900.dll\nEXPORTS\n")
foreach(raw IN LISTS lines)
  string(REGEX REPLACE "#.*$" "" text "${raw}")
  string(REGEX MATCHALL "[^ \t]+" fields "${text}")
  list(LENGTH fields n)
  if(n LESS 4)
    continue()
  endif()
  list(GET fields 0 name)
  list(GET fields 1 args)
  list(GET fields 2 form)
  list(GET fields 3 status)
  if(NOT status STREQUAL "built" OR NOT args MATCHES "^[0-9]+$")
    continue()
  endif()
  if(form STREQUAL "both")
    math(EXPR bytes "${args} * 4")
    string(APPEND def "  ${name}@${bytes}\n")
  elseif(form STREQUAL "decorated")
    # Only "_Name@N" exists in the DLL: the import names it exactly.
    math(EXPR bytes "${args} * 4")
    string(APPEND def "  ${name}@${bytes} == _${name}@${bytes}\n")
  elseif(form STREQUAL "cdecl")
    string(APPEND def "  ${name}\n")
  endif()
endforeach()
if(EXISTS "${DEF_FILE}")
  file(READ "${DEF_FILE}" old)
  if(old STREQUAL def)
    return()
  endif()
endif()
file(WRITE "${DEF_FILE}" "${def}")

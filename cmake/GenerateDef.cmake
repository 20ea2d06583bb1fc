# Writes the module definition (.def) of the 32-bit DLL from
# src/api/exports.list. Run as a script:
#
#   cmake -DEXPORTS_LIST=<exports.list> -DDEF_FILE=<out.def>
#         [-DLIBRARY=ZBDB900.dll] -P GenerateDef.cmake
#
# Only "built" entries go into the .def; planned ones have no code to bind.
# Names are written as GNU ld reads them for i386: the part right of "="
# is the object's stdcall symbol without its leading underscore
# ("DBOpen@4" for _DBOpen@4), the part left of it is the exported name,
# taken literally. That gives Microsoft's spelling of a decorated export,
# "_DBOpen@4", next to the plain "DBOpen", both on the same function.
# The file is rewritten only when its text changes, so the DLL relinks only
# when an export changed.

cmake_minimum_required(VERSION 3.25)

if(NOT EXPORTS_LIST OR NOT DEF_FILE)
  message(FATAL_ERROR "GenerateDef: EXPORTS_LIST and DEF_FILE are required")
endif()
if(NOT LIBRARY)
  set(LIBRARY ZBDB900.dll)
endif()

file(STRINGS "${EXPORTS_LIST}" lines)
set(def "; Generated from exports.list by GenerateDef.cmake. Do not edit.\n")
string(APPEND def "LIBRARY ${LIBRARY}\nEXPORTS\n")
set(seen "")
set(count 0)
set(line_number 0)
foreach(raw IN LISTS lines)
  math(EXPR line_number "${line_number} + 1")
  string(REGEX REPLACE "#.*$" "" text "${raw}")
  string(REGEX MATCHALL "[^ \t]+" fields "${text}")
  list(LENGTH fields n)
  if(n EQUAL 0)
    continue()
  endif()
  set(where "${EXPORTS_LIST}:${line_number}")
  if(n LESS 4 OR n GREATER 5)
    message(FATAL_ERROR "${where}: expected 'name args form status [internal]'")
  endif()
  list(GET fields 0 name)
  list(GET fields 1 args)
  list(GET fields 2 form)
  list(GET fields 3 status)
  set(internal "")
  if(n EQUAL 5)
    list(GET fields 4 internal)
  endif()

  if(NOT form MATCHES "^(both|decorated|cdecl|symbol)$")
    message(FATAL_ERROR "${where}: unknown form '${form}'")
  endif()
  if(NOT status MATCHES "^(built|planned)$")
    message(FATAL_ERROR "${where}: unknown status '${status}'")
  endif()
  if(NOT args MATCHES "^([0-9]+|\\?)$")
    message(FATAL_ERROR "${where}: argument count must be a number or '?'")
  endif()
  if(form STREQUAL "symbol" AND internal STREQUAL "")
    message(FATAL_ERROR "${where}: a symbol export names its internal function")
  endif()
  if(NOT form STREQUAL "symbol" AND NOT internal STREQUAL "")
    message(FATAL_ERROR "${where}: only a symbol export takes an internal name")
  endif()
  if(name IN_LIST seen)
    message(FATAL_ERROR "${where}: '${name}' is listed twice")
  endif()
  list(APPEND seen "${name}")

  if(NOT status STREQUAL "built")
    continue()
  endif()
  if(args STREQUAL "?" AND NOT form STREQUAL "cdecl")
    message(FATAL_ERROR "${where}: a built stdcall export needs its argument count")
  endif()
  if(NOT form STREQUAL "cdecl")
    math(EXPR bytes "4 * ${args}")
  endif()

  if(form STREQUAL "both")
    string(APPEND def "  ${name} = ${name}@${bytes}\n")
    string(APPEND def "  _${name}@${bytes} = ${name}@${bytes}\n")
  elseif(form STREQUAL "decorated")
    string(APPEND def "  _${name}@${bytes} = ${name}@${bytes}\n")
  elseif(form STREQUAL "cdecl")
    string(APPEND def "  ${name}\n")
  else()
    string(APPEND def "  \"${name}\" = ${internal}@${bytes}\n")
  endif()
  math(EXPR count "${count} + 1")
endforeach()

if(EXISTS "${DEF_FILE}")
  file(READ "${DEF_FILE}" old)
  if(old STREQUAL def)
    return()
  endif()
endif()
file(WRITE "${DEF_FILE}" "${def}")
message(STATUS "Wrote ${DEF_FILE} (${count} built exports)")

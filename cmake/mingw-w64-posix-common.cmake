# The settings both mingw-w64 toolchain files share; they set
# CMAKE_SYSTEM_PROCESSOR and ZBDB_MINGW_TRIPLE before including this.
set(CMAKE_C_COMPILER   ${ZBDB_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZBDB_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZBDB_MINGW_TRIPLE}-windres)
set(CMAKE_AR           ${ZBDB_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB       ${ZBDB_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_OBJDUMP      ${ZBDB_MINGW_TRIPLE}-objdump CACHE FILEPATH "")

# Libraries and headers (zlib among them) come from the mingw sysroot only;
# programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZBDB_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run under wine (the wine64 package alone has no "wine"
# on the PATH).
find_program(ZBDB_WINE NAMES wine wine64 PATHS /usr/lib/wine
             NO_CMAKE_FIND_ROOT_PATH)
if(ZBDB_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZBDB_WINE})
endif()
